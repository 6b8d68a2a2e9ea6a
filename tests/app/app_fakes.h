#pragma once
// Stand-ins for what the application hands the logs: a printer that keeps
// its jobs, status panes and a beeper that remember what they were told,
// an OPC client with one item of settable quality, and a helper that takes
// the main thread's messages off the queue.

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/beeper.h"
#include "app/event_printer.h"
#include "app/status_panes.h"
#include "components/opc/opc_client.h"
#include "platform/main_queue.h"
#include "resources/message_ids.h"

namespace kestrune::testing_support {

struct PrintJob {
    std::string data;
    std::string documentName;
};

// Shares its record with the test after the event log took ownership.
struct PrinterRecord {
    std::vector<PrintJob> jobs;
    Status result;  // what every call answers
};

class FakePrinter final : public EventPrinter {
  public:
    explicit FakePrinter(PrinterRecord& record) : record_(record) {}
    Status check() override { return record_.result; }
    Status printRaw(std::string_view data, std::string_view documentName) override {
        record_.jobs.push_back({std::string(data), std::string(documentName)});
        return record_.result;
    }

  private:
    PrinterRecord& record_;
};

class RecordingPanes final : public StatusPanes {
  public:
    void setPaneText(int pane, std::string_view text) override { panes[pane] = std::string(text); }
    std::map<int, std::string> panes;
};

class CountingBeeper final : public Beeper {
  public:
    void beep() override { ++beeps; }
    int beeps = 0;
};

// One item (handle 7) whose quality the test sets; everything else is unused.
class FakeOpcClient final : public OpcClient {
  public:
    static constexpr OpcItemHandle kItem = 7;
    std::string qualityText = "OPC item Plant.Level of AI1: quality Bad (communication failure)";

    std::vector<OpcBrowseEntry> browseItems() override { return {}; }
    Code addItemToList(std::string_view, std::string_view, std::string_view, std::string_view,
                       std::string_view, std::string_view, Variant*, OpcItemHandle&) override {
        return kMsgGenericError;
    }
    Code itemRead(OpcItemHandle, std::int32_t) override { return kMsgGenericError; }
    Code itemWrite(OpcItemHandle, std::int32_t) override { return kMsgGenericError; }
    Code itemQualityCheck(OpcItemHandle handle, int& good, std::string* text) override {
        good = 0;
        if (handle != kItem) return kMsgGenericError;
        if (text) *text = qualityText;
        return kOk;
    }
    Code addTaskToList(std::string_view, const OpcServerProperties&, OpcTaskHandle&) override {
        return kMsgGenericError;
    }
    Code taskRead(OpcTaskHandle) override { return kMsgGenericError; }
    Code removeAll() override { return kOk; }
};

// Every message waiting on the main queue, oldest first.
inline std::vector<MainMessage> takeMessages(MainQueue& queue) {
    std::vector<MainMessage> out;
    queue.drain([&](const MainMessage& m) { out.push_back(m); });
    return out;
}

inline std::size_t countMessages(const std::vector<MainMessage>& messages, MessageId id) {
    std::size_t n = 0;
    for (const MainMessage& m : messages) n += m.id == id ? 1 : 0;
    return n;
}

}  // namespace kestrune::testing_support
