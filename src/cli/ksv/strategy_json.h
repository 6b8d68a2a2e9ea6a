#pragma once
// A strategy as JSON and back (the schema is in docs/strategy_json.md).
//
// Dumping names every field of the document-level records, of each task's
// window and task object, of each block's common record part and of each
// wire; a block's settings come from its properties(), and the bytes its
// record holds after the common part come along as a hex "payload", so that
// nothing a record holds is lost, whether its kind shows it as a setting or
// not.
//
// Building starts from a new document: whatever the JSON leaves out takes
// the value a new object gets. A block is made by its kind and loaded from a
// record assembled from its fields and its payload (or the new block's own
// payload), then given every setting that differs from what it holds. So a
// dump built again gives the same file, byte for byte, apart from the random
// protection key; and a hand-written JSON needs only the fields it changes.

#include "cli/ksv/json_input.h"
#include "platform/status.h"

namespace kestrune {
class StrategyDocument;
}

namespace kestrune::ksv {

Json dumpStrategy(const StrategyDocument& document);

// Fills `document`, which must be new (one empty task, nothing else). On a
// problem the answer is 32874 "Invalid parameter(s)" with "where: what" (the
// place as a JSON path, "tasks[0].blocks[2].settings.gain"), or the code of
// the object that refused, with the same kind of context; the document then
// holds what was built before it.
Status buildStrategy(const Json& json, StrategyDocument& document);

}  // namespace kestrune::ksv
