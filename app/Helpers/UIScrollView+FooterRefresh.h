#pragma once

#include "platform/UIKit/Controls/UIScrollView.h"

#include <cstdint>

// Ends a paged list's load-more control after page `page` of `lastPage` has arrived: a
// first page of a single-page list, or any page from the last on, ends it with "no more
// data"; otherwise it ends normally (after a first page, leaving a no-more-data state of an
// earlier load first). Nothing without a load-more control.
void endFooterRefresh(UIScrollView& scrollView, std::int64_t page, std::int64_t lastPage);
