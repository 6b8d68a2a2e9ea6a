#include "taskmodel/tag_publication.h"

#include <algorithm>
#include <cstring>

#include "components/tagdb/tag_database.h"
#include "taskmodel/output_value.h"

namespace kestrune {

Code TagPublication::publish(std::string_view task, std::string_view name) {
    if (db_ == nullptr || !shape_ || published_) return kOk;
    const Code code = db_->AddTag(task, name, shape_->type, shape_->count);
    // An existing tag of that name belongs to someone else: leave it alone,
    // and never delete or rename it later.
    published_ = code == kOk;
    if (published_) name_ = std::string(name);
    return code;
}

void TagPublication::withdraw(std::string_view task) {
    handle_ = nullptr;
    if (!published_) return;
    db_->DeleteTag(task, name_);
    published_ = false;
    name_.clear();
}

Code TagPublication::rename(std::string_view task, std::string_view newName) {
    if (!published_) return kOk;
    const Code code = db_->ChangeTagName(task, name_, newName);
    if (code == kOk) name_ = std::string(newName);
    return code;
}

void TagPublication::attach(std::string_view task) {
    handle_ = published_ ? db_->GetTagEntryPtr(task, name_) : nullptr;
}

Code TagPublication::write(const OutputValue& value) {
    if (handle_ == nullptr || value.count() == 0) return kOk;
    const auto n = static_cast<std::uint16_t>(std::min<std::size_t>(value.count(), handle_->count()));
    const bool array = isArrayType(value.dataType()) || n > 1;
    DB_PARAM p;
    switch (elementType(value.dataType())) {
        case kTypeInteger:
            if (!array) {
                p = DB_PARAM::Int(value.toInteger());
                break;
            }
            integers_.resize(n);
            for (std::uint16_t i = 0; i < n; ++i) integers_[i] = value.toInteger(i);
            p = DB_PARAM::Array(kTagInt32, integers_.data(), n);
            break;
        case kTypeFloat:
            if (!array) {
                p = DB_PARAM::Float(value.toFloat());
                break;
            }
            floats_.resize(n);
            for (std::uint16_t i = 0; i < n; ++i) floats_[i] = value.toFloat(i);
            p = DB_PARAM::Array(kTagFloat, floats_.data(), n);
            break;
        case kTypeString:
            texts_.assign(static_cast<std::size_t>(n) * kTagTextSize, '\0');
            for (std::uint16_t i = 0; i < n; ++i) {
                const std::string text = value.toText(i);
                std::memcpy(&texts_[i * kTagTextSize], text.data(),
                            std::min<std::size_t>(text.size(), kTagMaxTextLength));
            }
            p = array ? DB_PARAM::Array(kTagString, texts_.data(), n) : DB_PARAM::Text(texts_.data());
            break;
        default:
            return kOk;
    }
    return db_->SetDataExp(handle_, &p);
}

}  // namespace kestrune
