#include "app/status_text.h"

#include "resources/string_table.h"

namespace kestrune {

std::string statusText(const Status& status) {
    std::string text = strings::text(status.code);
    if (!status.context.empty()) text += ": " + status.context;
    return text;
}

}  // namespace kestrune
