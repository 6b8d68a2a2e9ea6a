#include "document/held_values.h"

#include "components/tagdb/tag_database.h"
#include "platform/safe_file.h"

namespace kestrune {
namespace {

std::string damagedSuffix(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, ".damaged-%Y%m%d-%H%M%S", &local);
    return stamp;
}

std::string fileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

Status loadHeldValues(TagDatabase& tags, const std::string& holdPath, std::time_t when) {
    Status loaded = tags.loadHoldFile(holdPath);
    if (loaded.ok() || loaded.code == kHoldFileMissing) return {};
    std::string keptAs;
    if (const Status kept = keepFileAside(holdPath, damagedSuffix(when), keptAs); !kept) {
        loaded.context += "; it could not be kept aside (" + kept.context +
                          ") and is replaced at the next stop; the held tags start from their initial values";
        return loaded;
    }
    loaded.context += "; kept as " + fileName(keptAs) + "; the held tags start from their initial values";
    return loaded;
}

}  // namespace kestrune
