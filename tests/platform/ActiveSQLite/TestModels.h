#pragma once

#include "platform/ActiveSQLite/ASModel.h"

#include <cstdint>
#include <string>

// Record types of the library's tests. Note and NoteV2 map the same table, NoteV2 as a
// newer version of the type with one more column.
class Note : public ASModel<Note> {
  public:
    std::string title;
    std::string body = "empty";
    double score = 0.5;
    std::int64_t count = 7;

    static const ASTable<Note>& table() {
        static const ASTable<Note> table("Note",
                                         {{"title", &Note::title},
                                          {"body", &Note::body},
                                          {"score", &Note::score},
                                          {"count", &Note::count}},
                                         {.indexes = {{"title"}}});
        return table;
    }
};

class NoteV2 : public ASModel<NoteV2> {
  public:
    std::string title;
    std::string body = "empty";
    double score = 0.5;
    std::int64_t count = 7;
    std::string tag = "new";

    static const ASTable<NoteV2>& table() {
        static const ASTable<NoteV2> table("Note",
                                           {{"title", &NoteV2::title},
                                            {"body", &NoteV2::body},
                                            {"score", &NoteV2::score},
                                            {"count", &NoteV2::count},
                                            {"tag", &NoteV2::tag}},
                                           {.indexes = {{"title"}, {"tag"}}});
        return table;
    }
};

// A record type with a unique key; its column names are SQL keywords.
class Slot : public ASModel<Slot> {
  public:
    std::string group;
    std::string index;
    std::string order = "none";

    static const ASTable<Slot>& table() {
        static const ASTable<Slot> table(
            "Slot", {{"group", &Slot::group}, {"index", &Slot::index}, {"order", &Slot::order}},
            {.uniqueKey = {"group", "index"}});
        return table;
    }
};
