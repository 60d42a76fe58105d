#pragma once

#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>

// Cells and reusable views registered and dequeued under their class's plain name
// ("KKditchgaze"), and the controller shorthand that puts the keyboard away.

// The plain name of a class, as lists register it.
std::string className(const std::type_info& type);
template <class T> std::string classNameOf() {
    return className(typeid(T));
}

// Stops the process with `message`: a list asked for a class it never registered.
[[noreturn]] void unregisteredReusableView(const std::string& message);

template <class Cell>
std::shared_ptr<Cell> dequeueReusableCell(UITableView& tableView, const NSIndexPath& indexPath) {
    const std::string name = classNameOf<Cell>();
    std::shared_ptr<Cell> cell;
    try {
        cell = std::dynamic_pointer_cast<Cell>(tableView.dequeueReusableCellWithIdentifier(name, indexPath));
    } catch (const std::logic_error&) {
        // Not registered: reported below.
    }
    if (!cell) {
        unregisteredReusableView("Couldn't find UITableViewCell for " + name +
                                 ", make sure the cell is registered with table view");
    }
    return cell;
}

template <class Cell>
std::shared_ptr<Cell> dequeueReusableCell(UICollectionView& collectionView, const NSIndexPath& indexPath) {
    const std::string name = classNameOf<Cell>();
    std::shared_ptr<Cell> cell;
    if (collectionView.hasRegisteredCell(name)) {
        cell = std::dynamic_pointer_cast<Cell>(
            collectionView.dequeueReusableCellWithReuseIdentifier(name, indexPath));
    }
    if (!cell) {
        unregisteredReusableView("Couldn't find UICollectionViewCell for " + name +
                                 ", make sure the cell is registered with collection view");
    }
    return cell;
}

template <class View>
std::shared_ptr<View> dequeueReusableSupplementaryView(UICollectionView& collectionView,
                                                       const std::string& kind,
                                                       const NSIndexPath& indexPath) {
    const std::string name = classNameOf<View>();
    std::shared_ptr<View> view;
    if (collectionView.hasRegisteredSupplementaryView(kind, name)) {
        view = std::dynamic_pointer_cast<View>(
            collectionView.dequeueReusableSupplementaryViewOfKind(kind, name, indexPath));
    }
    if (!view) {
        unregisteredReusableView("Couldn't find UICollectionReusableView for " + name +
                                 ", make sure the view is registered with collection view");
    }
    return view;
}

// Ends editing in the controller's view, forcing the keyboard away.
void dismissKeyboard(UIViewController& controller);
