#pragma once

#include "platform/Alamofire/DataResponse.h"

#include <memory>
#include <string>

// The API client's console lines (the body of every answer, the path of every decrypted
// payload), written in the order given by a thread of their own, started with the first
// line: the main thread hands a line over and goes on, whatever the console costs. The
// lines are buffered and written in batches, each with one flush. An answer's body is
// written from the shared response itself, never copied. Lines still waiting are written
// in full before the process ends.
namespace KKriplogConsole {

void write(std::string line);
// Writes the body of `response` (a successful one).
void writeBody(std::shared_ptr<const AFDataResponse> response);
// Returns once every line handed over before the call has been written.
void waitUntilWritten();

} // namespace KKriplogConsole
