#pragma once

#include "platform/ActiveSQLite/ASModel.h"
#include "platform/Foundation/JSON.h"

#include <optional>
#include <string>

// The last parse answer of one play-source address, kept as JSON text so that the
// episode still plays when a later parse request fails. One record per address.
class KKeditjerk : public ASModel<KKeditjerk> {
  public:
    std::string src;       // the play-source address sent to the parse endpoint
    std::string parseJson; // the JSON text of the last answer that was an object

    static const ASTable<KKeditjerk>& table();

    // Keeps `answer` as the answer of `src` when it is a JSON object (anything else is
    // not stored): the address's record is written back, or created when it has none.
    static SQLite::Status storeAnswer(const std::string& src, const JSON& answer);
    // The stored answer of `src`: none when the address has no record; text that is not
    // valid JSON reads as a value without any field.
    static SQLite::Result<std::optional<JSON>> storedAnswer(const std::string& src);
};
