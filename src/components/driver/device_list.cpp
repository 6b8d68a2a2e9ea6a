#include "components/driver/device_list.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "components/driver/driver_codes.h"
#include "components/driver/param_text.h"
#include "platform/safe_file.h"

namespace kestrune {
namespace {

Status fail(int line, const std::string& what) {
    return sectionError(line, what);
}

// The keys every device has; the rest stay for the device's type.
Status readCommonKeys(DeviceSection& s) {
    std::vector<DeviceSetting> own;
    for (auto& l : s.settings) {
        s.source += l.key + "=" + l.value + "\n";
        if (l.key == "type") {
            s.type = l.value;
        } else if (l.key == "description") {
            s.description = l.value;
        } else if (l.key == "kind") {
            std::size_t n = 0;
            Status st;
            if (!readCount(l, 255, n, st)) return st;
            s.kind = static_cast<std::uint8_t>(n);
        } else {
            own.push_back(std::move(l));
        }
    }
    s.settings = std::move(own);
    return {};
}

Status makeDevice(DeviceSection s, const DeviceTypes& types, std::shared_ptr<Device>& out) {
    int typeLine = s.line;
    for (const auto& l : s.settings)
        if (l.key == "type") typeLine = l.line;
    if (Status st = readCommonKeys(s); !st.ok()) return st;
    const DeviceTypes::Type* type = types.find(s.type);
    if (type == nullptr) return fail(typeLine, "'type' must be " + types.namesText());
    if (s.description.empty()) s.description = type->defaultDescription + " " + std::to_string(s.number);
    const int line = s.line;
    if (Status st = type->parse(s, out); !st.ok()) return st;
    if (out == nullptr) return fail(line, "the device type '" + type->name + "' made no device");
    return {};
}

}  // namespace

Device* DeviceList::find(std::int32_t number) const {
    for (const auto& d : devices)
        if (d->number() == number) return d.get();
    return nullptr;
}

Status parseDeviceList(std::string_view text, const DeviceTypes& types, DeviceList& out) {
    std::vector<DeviceSection> sections;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view raw = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        const std::string_view line = trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line.front() == '[') {
            std::int64_t n = -1;
            constexpr std::string_view kHead = "[device ";
            if (line.back() != ']' || line.substr(0, kHead.size()) != kHead ||
                !parseInteger(line.substr(kHead.size(), line.size() - kHead.size() - 1), n) || n < 0 ||
                n > 65535)
                return fail(lineNo, "expected a section header [device N] with N from 0 to 65535");
            for (const auto& s : sections)
                if (s.number == n) return fail(lineNo, "device " + std::to_string(n) + " is listed twice");
            DeviceSection section;
            section.line = lineNo;
            section.number = static_cast<std::int32_t>(n);
            section.type = "board";
            sections.push_back(std::move(section));
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) return fail(lineNo, "expected key = value");
        if (sections.empty()) return fail(lineNo, "a key before the first [device N] section");
        DeviceSetting l{lineNo, std::string(trim(line.substr(0, eq))),
                        std::string(trim(line.substr(eq + 1)))};
        if (l.key.empty()) return fail(lineNo, "missing key before '='");
        for (const auto& other : sections.back().settings)
            if (other.key == l.key) return fail(lineNo, "'" + l.key + "' given twice in this section");
        sections.back().settings.push_back(std::move(l));
    }
    DeviceList list;
    for (auto& s : sections) {
        std::shared_ptr<Device> device;
        if (Status st = makeDevice(std::move(s), types, device); !st.ok()) return st;
        list.devices.push_back(std::move(device));
    }
    out = std::move(list);
    return {};
}

Status loadDeviceList(const std::filesystem::path& path, const DeviceTypes& types, DeviceList& out) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        const std::string text = defaultDeviceListText();
        std::filesystem::create_directories(path.parent_path(), ec);
        // A list that cannot be written is still used for this run.
        replaceFileSafely(path.string(), text);
        return parseDeviceList(text, types, out);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return {driverCode(DriverError::DeviceListInvalid), path.string() + ": cannot be read"};
    std::ostringstream text;
    text << in.rdbuf();
    Status st = parseDeviceList(text.str(), types, out);
    if (!st.ok()) st.context = path.string() + ", " + st.context;
    return st;
}

}  // namespace kestrune
