// Scrolling the library grid (its flow layout, its poster cells filled from films, and its
// filter header of five rows) for 600 frames on a 390 x 844 screen at scale 2, every frame
// laid out and drawn by the headless host, posters coming from the web-image memory cache.
// The same scroll runs over 100 films and over 1,000 in the same process; the per-frame
// cost with 1,000 should stay within 1.1 times the cost with 100 (cells are reused, so the
// grid costs what a screenful costs), and the 99th-percentile frame within 8.3 ms.

#include "MainController/Home/Cell/KKcreatesymphony.h"
#include "MainController/Library/View/KKtyrepuzzle.h"
#include "MainController/Library/View/LibraryGridLayout.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Models/KKfinancerub.h"
#include "bench/support/ScrollTiming.h"
#include "platform/Foundation/JSON.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/HeadlessHost.h"

#include <string>
#include <vector>

namespace {

constexpr int kPosters = 24;
constexpr int kRounds = 5;

// The first type of the sample filter tree.
constexpr const char* kFilterTree =
    R"([{"type_name":"电影","type_id":"1","class":["全部","动作","喜剧","爱情","科幻","悬疑","剧情","战争"],)"
    R"("area":["全部","大陆","香港","美国","日本","韩国","英国","法国"],"lang":["全部","国语","粤语","英语","日语"],)"
    R"("year":["全部","2024","2023","2022","2021","2020","2019","2018","2017","2016","2015"]},)"
    R"({"type_name":"电视剧","type_id":"2","class":[],"area":[],"lang":[],"year":[]}])";

std::string posterURL(long index) {
    return "https://posters.invalid/poster/" + std::to_string(index % kPosters) + ".jpg";
}

// The grid's films as the service's answers carry them.
std::vector<KKfinancerub> films(long count) {
    std::vector<KKfinancerub> list;
    list.reserve(static_cast<std::size_t>(count));
    for (long i = 0; i < count; ++i) {
        JSON::Storage film = {{"vod_id", std::to_string(1000 + i)},
                              {"vod_name", "影片 " + std::to_string(i) + (i % 3 == 0 ? " 之长长的名字" : "")},
                              {"vod_pic", posterURL(i)}};
        list.emplace_back(JSON(film));
    }
    return list;
}

class LibraryGrid : public UICollectionViewDataSource, public UICollectionViewDelegateFlowLayout {
  public:
    explicit LibraryGrid(long count) : films_(films(count)) {}

    long numberOfItemsInSection(UICollectionView&, long) override { return static_cast<long>(films_.size()); }
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& view,
                                                        const NSIndexPath& path) override {
        auto cell = dequeueReusableCell<KKcreatesymphony>(view, path);
        cell->configure(films_[static_cast<std::size_t>(path.item)]);
        return cell;
    }
    std::shared_ptr<UICollectionReusableView>
    viewForSupplementaryElementOfKind(UICollectionView& view, const std::string& kind,
                                      const NSIndexPath& path) override {
        if (!header_) {
            header_ = dequeueReusableSupplementaryView<KKtyrepuzzle>(view, kind, path);
            header_->rebuild(JSON::parse(kFilterTree).arrayValue(), 0);
        }
        return header_;
    }
    std::optional<CGSize> referenceSizeForHeaderInSection(UICollectionView&, UICollectionViewLayout&,
                                                          long) override {
        return CGSizeMake(390, 185);
    }

  private:
    std::vector<KKfinancerub> films_;
    std::shared_ptr<KKtyrepuzzle> header_;
};

benchscroll::FrameTimes scrollGrid(long items) {
    auto window = std::make_shared<UIWindow>();
    window->makeKeyAndVisible();
    auto grid = std::make_shared<LibraryGrid>(items);
    auto view = std::make_shared<UICollectionView>(window->bounds(), makeLibraryGridLayout());
    view->setBackgroundColor(UIColor::colorWithRed(0x28 / 255.0, 0x27 / 255.0, 0x2C / 255.0, 1));
    view->registerClass<KKcreatesymphony>(classNameOf<KKcreatesymphony>());
    view->registerClassForSupplementaryViewOfKind([] { return KKtyrepuzzle::make(); },
                                                  UICollectionElementKindSectionHeader,
                                                  classNameOf<KKtyrepuzzle>());
    view->setDataSource(grid);
    view->setDelegate(grid);
    window->addSubview(view);

    HeadlessHost host;
    // Down and back up again when a short grid ends, so that every frame moves.
    return benchscroll::scroll(*view, host, benchscroll::Motion::reflected, view->contentOffset().y);
}

} // namespace

int main() {
    UIScreen::configureMainScreen(UIScreen::Metrics::modern());
    // The posters, decoded once into the memory cache as the grid finds them after loading.
    const double posterWidth = (390 - 50) / 3.0 * 2;
    benchscroll::cachePhotos(kPosters, static_cast<int>(posterWidth * 1.5),
                             static_cast<int>(posterWidth * 1.5 * 16 / 9), posterURL);
    scrollGrid(100); // warm caches (text layouts, reduced posters)

    const auto comparison = benchscroll::runRounds(
        kRounds, "100 films", "1000 films", [](bool longCase) { return scrollGrid(longCase ? 1000 : 100); });
    return benchscroll::report(comparison, "100 films", "1000 films") ? 0 : 1;
}
