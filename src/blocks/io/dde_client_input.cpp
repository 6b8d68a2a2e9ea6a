#include "blocks/io/dde_client_input.h"

#include "blocks/io/io_record.h"

namespace kestrune {
namespace {

std::string cut(std::string_view text) {
    return std::string(text.substr(0, DdeClientInput::kNameLength));
}

}  // namespace

void DdeClientInput::setNames(DdeLinkNames names) {
    names_ = {cut(names.service), cut(names.topic), cut(names.item)};
}

bool DdeClientInput::paste(std::string_view clipboard) {
    const std::optional<DdeLinkNames> names = parseClipboardLink(clipboard);
    if (!names || names->service.size() > kNameLength || names->topic.size() > kNameLength ||
        names->item.size() > kPasteItemLength) {
        return false;
    }
    names_ = *names;
    enabled_ = true;
    return true;
}

void DdeClientInput::connect(DdeService* dde, std::uint16_t type) {
    link_ = nullptr;
    if (!enabled_ || dde == nullptr || !names_.complete()) return;
    link_ = dde->subscribe(names_.service, names_.topic, names_.item, type);
}

std::optional<std::string> DdeClientInput::text() const {
    if (!enabled_ || link_ == nullptr || !link_->isOpen()) return std::nullopt;
    return link_->text();
}

Status DdeClientInput::load(BinaryReader& in) {
    DdeLinkNames names;
    if (Status s = io_record::readText(in, kNameLength, "DDE service", names.service); !s) return s;
    if (Status s = io_record::readText(in, kNameLength, "DDE topic", names.topic); !s) return s;
    if (Status s = io_record::readText(in, kNameLength, "DDE item", names.item); !s) return s;
    names_ = std::move(names);
    return {};
}

void DdeClientInput::save(BinaryWriter& out) const {
    io_record::writeText(out, names_.service);
    io_record::writeText(out, names_.topic);
    io_record::writeText(out, names_.item);
}

}  // namespace kestrune
