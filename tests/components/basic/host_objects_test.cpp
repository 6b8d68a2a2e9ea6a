// The host's library: classes with methods and properties, functions with a
// companion name, alternate forms with optional trailing arguments, errors
// the host raises.
#include <gtest/gtest.h>

#include <map>

#include "components/basic/basic_test_support.h"

namespace kestrune::testing_support {
namespace {

enum Id {
    kGetTask = 1, kTaskClass, kStart, kScan, kGetStatus, kGetTag, kTagClass, kValueWrite, kValueRead,
    kOutputI, kOutputI2, kOutputF, kOutputF2, kDisplay, kAoClass, kAoValue
};

BasicLibraryEntry entry(BasicEntryKind kind, const char* name, int id, const char* cls = "", int minArgs = 0,
                        int maxArgs = 0) {
    BasicLibraryEntry e;
    e.kind = kind;
    e.name = name;
    e.id = id;
    e.className = cls;
    e.minArgs = minArgs;
    e.maxArgs = maxArgs;
    return e;
}

BasicLibraryEntry property(const char* name, const char* cls, int readId, int writeId, BasicType type) {
    BasicLibraryEntry e = entry(BasicEntryKind::Property, name, kBasicNoId, cls);
    e.readId = readId;
    e.writeId = writeId;
    e.propertyType = type;
    return e;
}

BasicLibraryEntry function(const char* name, int id, const char* cls, int args, const char* companion) {
    BasicLibraryEntry e = entry(BasicEntryKind::Function, name, id, cls, args, args);
    e.result = BasicType::Object;
    e.companion = companion;
    return e;
}

BasicLibrary makeLibrary() {
    BasicLibrary lib("Test");
    const auto add = [&](BasicLibraryEntry e) { EXPECT_TRUE(lib.add(std::move(e)).ok()); };
    add(entry(BasicEntryKind::Class, "ScanTask", kTaskClass));
    add(function("GetScanTask", kGetTask, "ScanTask", 1, "ScanTask"));
    add(entry(BasicEntryKind::Method, "Start", kStart, "ScanTask"));
    add(entry(BasicEntryKind::Method, "Scan", kScan, "ScanTask", 1, 1));
    add(property("GetStatus", "ScanTask", kGetStatus, kBasicNoId, BasicType::Integer));
    add(entry(BasicEntryKind::Class, "Tag", kTagClass));
    add(function("GetTag", kGetTag, "Tag", 2, "Tag"));
    add(property("Value", "Tag", kValueRead, kValueWrite, BasicType::Variant));
    add(entry(BasicEntryKind::Sub, "OutputI", kOutputI, "", 1, 1));
    BasicLibraryEntry second = entry(BasicEntryKind::Sub, "OutputI", kOutputI2, "", 1, 2);  // (port [, value])
    second.alternate = true;
    add(second);
    add(entry(BasicEntryKind::Sub, "OutputF", kOutputF, "", 2, 2));
    add(entry(BasicEntryKind::Sub, "OutputF", kOutputF2, "", 1, 1));
    add(entry(BasicEntryKind::Sub, "DisplaySwhByNo", kDisplay, "", 1, 1));
    add(entry(BasicEntryKind::Class, "AoBlock", kAoClass));
    add(property("Value", "AoBlock", kBasicNoId, kAoValue, BasicType::Single));
    return lib;
}

// A host with two tasks (handles 1 and 2) and tags holding values by handle.
class FakeHost : public RecordingHost {
  public:
    void call(BasicHostCall& c) override {
        std::string line = std::to_string(c.id()) + "(" + std::to_string(c.object());
        for (int i = 0; i < c.argCount(); ++i) line += "," + c.argString(i);
        calls.push_back(line + ")");
        switch (c.id()) {
            case kGetTask: {
                const std::string name = c.argString(0);
                if (name == "T1" || name == "T2") c.setObjectResult(name == "T1" ? 1 : 2);
                else c.raise(807, "Invalid task name or tag name in " + name);
                break;
            }
            case kTaskClass:
            case kTagClass:
            case kAoClass: c.setObjectResult(999); break;
            case kGetStatus: c.setResult(BasicValue::integer(static_cast<std::int16_t>(c.object() + 1))); break;
            case kGetTag: c.setObjectResult(100 + static_cast<std::uint32_t>(tags.size())); tags[100 + tags.size()]; break;
            case kValueRead: c.setResult(tags[c.object()]); break;
            case kValueWrite: tags[c.object()] = c.arg(0); break;
            case kOutputI2:
                if (c.argCount() == 2 && (c.argInteger(0) < 0 || c.argInteger(0) > 7)) c.raise(806);
                break;
            case kOutputF:
                if (c.argInteger(0) < 0 || c.argInteger(0) > 7) c.raise(806);
                break;
            case kDisplay:
                if (c.argInteger(0) <= 0) c.raise(452);
                break;
            default: break;
        }
    }
    std::vector<std::string> calls;
    std::map<std::uint32_t, BasicValue> tags;
};

struct HostRun {
    ScriptOutcome outcome;
    std::vector<std::string> calls;
};

HostRun runWithHost(const std::string& body) {
    static const BasicLibrary library = makeLibrary();
    FakeHost host;
    HostRun r;
    r.outcome = runScript(inMain(body), &library, &host);
    r.outcome.output = host.output;
    r.calls = host.calls;
    return r;
}

TEST(BasicHostObjects, MethodsAndPropertiesDispatchByName) {
    const HostRun r = runWithHost("Dim t As ScanTask\nSet t = GetScanTask(\"T2\")\nt.Start\nt.scan 5\nPrint t.GetStatus");
    EXPECT_EQ(r.outcome.errorNumber, 0);
    EXPECT_EQ(r.outcome.output, " 3 \n");
    EXPECT_EQ(r.calls, (std::vector<std::string>{"1(0,T2)", "3(2)", "4(2,5)", "5(2)"}));
}

TEST(BasicHostObjects, PropertiesUseTheirReadAndWriteIds) {
    const HostRun r = runWithHost("Set a = GetTag(\"t\", \"x\")\na.Value = 41\na.Value = a.Value + 1\nPrint a.Value");
    EXPECT_EQ(r.outcome.errorNumber, 0);
    EXPECT_EQ(r.outcome.output, " 42 \n");
    EXPECT_EQ(r.calls.front(), "6(0,t,x)");
    EXPECT_EQ(r.calls[1], "8(100,41)");
    EXPECT_EQ(r.calls[2], "9(100)");
}

TEST(BasicHostObjects, CompanionNamesAndAlternateForms) {
    EXPECT_EQ(runWithHost("Set t = ScanTask(\"T1\")\nt.Start").calls, (std::vector<std::string>{"1(0,T1)", "3(1)"}));
    EXPECT_EQ(runWithHost("OutputI 5\nOutputI 3, 7\nOutputF 1.5\nOutputF 2, 1.5").calls,
              (std::vector<std::string>{"10(0,5)", "11(0,3,7)", "13(0,1.5)", "12(0,2,1.5)"}));
    EXPECT_EQ(runWithHost("Set t = New ScanTask\nPrint t.GetStatus").outcome.output, " 1000 \n");
    EXPECT_EQ(runWithHost("Dim b As New AoBlock\nb.Value = 2").calls.back(), "16(999,2)");
}

TEST(BasicHostObjects, ErrorsRaisedByTheHostAndByDispatch) {
    struct Case {
        const char* body;
        int error;
    } cases[] = {
        {"OutputF 8, 1.5", 806},
        {"OutputI 9, 1", 806},
        {"DisplaySwhByNo 0", 452},
        {"Set t = GetScanTask(\"nope\")", 807},
        {"Dim t As ScanTask\nt.Start", 91},
        {"x = 5\nx.Start", 424},
        {"Set t = GetScanTask(\"T1\")\nt.Fly", 438},
        {"Set t = GetScanTask(\"T1\")\nt.GetStatus = 3", 383},
        {"Dim b As New AoBlock\nPrint b.Value", 394},
        {"Set t = GetScanTask(\"T1\")\nt.Scan", 450},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_EQ(runWithHost(c.body).outcome.errorNumber, c.error);
    }
    const HostRun handled = runWithHost("On Error Resume Next\nSet t = GetScanTask(\"x\")\nPrint Err.Number; Err.Description");
    EXPECT_EQ(handled.outcome.output, " 807 Invalid task name or tag name in x\n");
    const BasicLibrary library = makeLibrary();
    EXPECT_EQ(compileBasic(inMain("OutputF 1, 2, 3"), &library).errorNumber, kBasicWrongArgumentCount);
}

TEST(BasicHostObjects, RegistrationChecksClasses) {
    BasicLibrary lib;
    EXPECT_FALSE(lib.add(entry(BasicEntryKind::Method, "Go", 1, "Missing")).ok());
    EXPECT_TRUE(lib.add(entry(BasicEntryKind::Class, "Thing", 2)).ok());
    EXPECT_FALSE(lib.add(entry(BasicEntryKind::Class, "thing", 3)).ok());
}

TEST(BasicHostObjects, MsgBoxGoesToTheHost) {
    RecordingHost host;
    const ScriptOutcome out = runScript(inMain("r = MsgBox(\"Sure?\", 4, \"Title\")\nPrint r\nMsgBox \"Done\""), nullptr, &host);
    EXPECT_EQ(out.errorNumber, 0);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Sure?|4|Title", "Done|0|"}));
    EXPECT_EQ(host.output, " 6 \n");
}

}  // namespace
}  // namespace kestrune::testing_support
