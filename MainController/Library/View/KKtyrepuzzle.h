#pragma once

#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/UIKit/Controls/UICollectionViewCell.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/UIStackView.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The library grid's section header: five horizontally scrolling rows of filter buttons
// (type, class, area, language, year) built from the service's filter tree. It keeps only
// the buttons and their highlight; every choice goes to the page through a callback, and
// the page rebuilds the header when another type is chosen, since the four lower rows come
// from the chosen type.
class KKtyrepuzzle : public UICollectionReusableView {
  public:
    // A new header, set up (views are made only by this, since setting up adds subviews).
    static std::shared_ptr<KKtyrepuzzle> make(const CGRect& frame = CGRectZero);
    explicit KKtyrepuzzle(const CGRect& frame = CGRectZero) : UICollectionReusableView(frame) {}

    // The outer stack of the five rows; the page sizes the header from its frame.
    const std::shared_ptr<UIStackView>& kkloungecandy();
    const std::shared_ptr<UIStackView>& kkpillleak();            // types
    const std::shared_ptr<UIStackView>& kkleakfootstep();        // classes
    const std::shared_ptr<UIStackView>& kkfootstepgraph();       // areas
    const std::shared_ptr<UIStackView>& kkgraphprescription();   // languages
    const std::shared_ptr<UIStackView>& kkprescriptioninterim(); // years
    // The scroll views holding the rows, in the same order.
    const std::shared_ptr<UIScrollView>& kkinterimspatial() const { return kkinterimspatial_; }
    const std::shared_ptr<UIScrollView>& kkspatialceremony() const { return kkspatialceremony_; }
    const std::shared_ptr<UIScrollView>& kkceremonyinflict() const { return kkceremonyinflict_; }
    const std::shared_ptr<UIScrollView>& kkinflictgrace() const { return kkinflictgrace_; }
    const std::shared_ptr<UIScrollView>& kkgracestimulate() const { return kkgracestimulate_; }

    // A type was chosen: its index in the type row and its "type_id".
    std::function<void(long index, const std::string& typeId)> clickType;
    // A value of a lower row was chosen: its text, sent to the service as it is.
    std::function<void(const std::string& value)> clickClass;
    std::function<void(const std::string& value)> clickArea;
    std::function<void(const std::string& value)> clickLang;
    std::function<void(const std::string& value)> clickYear;

    void setupUI();
    // Makes the type row from the tree with `selectedType` highlighted and the four lower
    // rows from that type, each with its first value highlighted. A row with exactly one
    // value is hidden. An empty tree, or an index outside it, leaves the lower rows as
    // they were. The rows can scroll once the sizes pass 0.1 s later has run.
    void rebuild(const std::vector<JSON>& tagList, long selectedType);
    // Gives each row's scroll view the width of its buttons plus 15.
    void updateContentSizes();

    // The selected background of a filter button.
    static UIColor selectedColor();

  private:
    struct Row {
        const char* key;
        std::shared_ptr<UIStackView> stack;
        std::shared_ptr<UIScrollView> scroll;
        std::function<void(const std::string&)> KKtyrepuzzle::*callback;
    };
    std::vector<Row> lowerRows();
    std::shared_ptr<QMUIButton> makeFilterButton(const std::string& title);
    std::shared_ptr<UIStackView> makeRowStack();
    std::shared_ptr<UIScrollView> embed(const std::shared_ptr<UIStackView>& row, const char* identifier);
    void selectType(QMUIButton& button, long index, const JSON& type);
    void selectValue(UIStackView& row, QMUIButton& button, const std::string& value,
                     std::function<void(const std::string&)> KKtyrepuzzle::*callback);
    static void highlightOnly(UIStackView& row, const UIView& selected);

    std::shared_ptr<UIStackView> kkloungecandy_;
    std::shared_ptr<UIStackView> kkpillleak_;
    std::shared_ptr<UIStackView> kkleakfootstep_;
    std::shared_ptr<UIStackView> kkfootstepgraph_;
    std::shared_ptr<UIStackView> kkgraphprescription_;
    std::shared_ptr<UIStackView> kkprescriptioninterim_;
    std::shared_ptr<UIScrollView> kkinterimspatial_;
    std::shared_ptr<UIScrollView> kkspatialceremony_;
    std::shared_ptr<UIScrollView> kkceremonyinflict_;
    std::shared_ptr<UIScrollView> kkinflictgrace_;
    std::shared_ptr<UIScrollView> kkgracestimulate_;
};
