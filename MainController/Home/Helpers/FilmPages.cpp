#include "MainController/Home/Helpers/FilmPages.h"

std::shared_ptr<FilmPages> FilmPages::make(Fetch fetch, Listener listener) {
    return std::make_shared<FilmPages>(std::move(fetch), std::move(listener));
}

void FilmPages::refresh() {
    ++generation_;
    page_ = 1;
    request(page_);
}

void FilmPages::loadMore() {
    if (inFlight_) {
        return;
    }
    ++page_;
    request(page_);
}

void FilmPages::request(int page) {
    inFlight_ = true;
    const unsigned generation = generation_;
    std::weak_ptr<FilmPages> weak = weak_from_this();
    fetch_(page, [weak, page, generation](std::optional<JSON> json, std::optional<NSError>) {
        if (auto self = weak.lock()) {
            self->answered(page, generation, json);
        }
    });
}

void FilmPages::answered(int page, unsigned generation, const std::optional<JSON>& json) {
    if (generation != generation_) {
        return;
    }
    inFlight_ = false;
    Update update;
    if (!json) {
        if (page > 1) {
            page_ = page - 1;
        }
        listener_(update);
        return;
    }
    const auto films = json->arrayValue();
    if (page == 1) {
        list_.clear();
    }
    for (const auto& film : films) {
        list_.emplace_back(film);
    }
    update.succeeded = true;
    update.reachedEnd = films.empty();
    listener_(update);
}
