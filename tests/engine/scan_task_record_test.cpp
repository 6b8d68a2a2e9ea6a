// The task's record in a strategy file (round trip, the rules that let
// older and newer records load, damaged records), CopyTo, and the setup
// dialog's settings with the period fitted to the scheduler's resolution.

#include <gtest/gtest.h>

#include "components/tagdb/tag_database.h"
#include "resources/message_ids.h"
#include "scan_task_fixture.h"

namespace kestrune::test {
namespace {

constexpr int kCurrentVersion = 5;

class ScanTaskRecordTest : public ScanTaskTest {
  protected:
    // A task with every setting away from its default.
    void configure(ScanTask& t) {
        TaskTiming& timing = t.timing();
        timing.setPeriod(ScanPeriod{1, 2, 3, 40});
        timing.setDurationMode(DurationMode::TimeBased);
        timing.setDuration(HourMinSec{4, 5, 6});
        timing.setScanLimit(77);
        timing.setStartMode(StartMode::SystemTime);
        timing.setDelay(HourMinSec{7, 8, 9});
        timing.setDailyStart(HourMinSec{10, 11, 12});
        timing.setPriorityCode(4);
        t.preTaskScript().setText("Sub PRE_TASK1()\r\n    x = 1\r\nEnd Sub\r\n");
        t.postTaskScript().setText("Sub POST_TASK1()\r\nEnd Sub\r\n");
        t.setOpcSettings(OpcServerProperties{1, 1, 1500, 1033, -120, 2.5f});
        t.setCaption("Pumps");
    }
    std::vector<std::uint8_t> save(const ScanTask& t) {
        BinaryWriter out;
        EXPECT_TRUE(t.Save(out).ok());
        return out.take();
    }
    Status load(ScanTask& t, const std::vector<std::uint8_t>& bytes, int version = kCurrentVersion) {
        BinaryReader in(bytes);
        EXPECT_EQ(toString(in.tag()), "BTSK");
        Status s = t.Load(in, version);
        position = in.position();
        return s;
    }
    // The record cut (or grown) to `payload` bytes after the block common
    // part, with its length field patched. `full` is the payload size of the
    // saved record.
    static std::vector<std::uint8_t> withPayload(std::vector<std::uint8_t> bytes, std::size_t full,
                                                 std::size_t payload) {
        const std::size_t common = bytes.size() - full;
        bytes.resize(common + payload, 0xA5);
        const std::size_t length = bytes.size() - 6;
        bytes[4] = static_cast<std::uint8_t>(length & 0xFF);
        bytes[5] = static_cast<std::uint8_t>(length >> 8);
        return bytes;
    }
    // The same record as a version-3 file holds it: its node part has no
    // consumer count (the task has no consumers) and nothing after the
    // scripts.
    std::vector<std::uint8_t> asVersion3(const ScanTask& t) {
        std::vector<std::uint8_t> bytes = withPayload(save(t), payloadSize(t), payloadSize(t) - 23);
        // Tag, length, root part (8), input count, output count, order number.
        const std::size_t consumersAt = 4 + 2 + 8 + 4 + 4 + 4;
        bytes.erase(bytes.begin() + consumersAt, bytes.begin() + consumersAt + 4);
        const std::size_t length = bytes.size() - 6;
        bytes[4] = static_cast<std::uint8_t>(length & 0xFF);
        bytes[5] = static_cast<std::uint8_t>(length >> 8);
        return bytes;
    }
    static std::size_t payloadSize(const ScanTask& t) {
        // 20 base bytes, 14 start bytes, two script lengths, priority,
        // reserved and 18 bytes of OPC settings.
        return 20 + 14 + 8 + t.preTaskScript().text().size() + t.postTaskScript().text().size() + 1 + 4 + 18;
    }
    void expectOpcDefaults(const ScanTask& t) {
        const OpcServerProperties d;
        EXPECT_EQ(t.opcSettings().readMode, d.readMode);
        EXPECT_EQ(t.opcSettings().updateRate, d.updateRate);
        EXPECT_FLOAT_EQ(t.opcSettings().deadBand, d.deadBand);
        EXPECT_EQ(t.timing().priorityCode(), TaskTiming::kDefaultPriorityCode);
    }

    std::size_t position = 0;
};

TEST_F(ScanTaskRecordTest, RoundTripKeepsEverySetting) {
    configure(*task);
    const auto bytes = save(*task);
    OtherTask copy(registry, ui, services);
    ASSERT_TRUE(load(copy.task, bytes).ok());
    EXPECT_EQ(position, bytes.size());
    const TaskTiming& t = copy.task.timing();
    EXPECT_EQ(t.period(), (ScanPeriod{1, 2, 3, 40}));
    EXPECT_EQ(t.durationMode(), DurationMode::TimeBased);
    EXPECT_EQ(t.duration(), (HourMinSec{4, 5, 6}));
    EXPECT_EQ(t.scanLimit(), 77);
    EXPECT_EQ(t.startMode(), StartMode::SystemTime);
    EXPECT_EQ(t.delay(), (HourMinSec{7, 8, 9}));
    EXPECT_EQ(t.dailyStart(), (HourMinSec{10, 11, 12}));
    EXPECT_EQ(t.priorityCode(), 4);
    EXPECT_EQ(copy.task.preTaskScript().text(), task->preTaskScript().text());
    EXPECT_EQ(copy.task.postTaskScript().text(), task->postTaskScript().text());
    EXPECT_EQ(copy.task.opcSettings().updateRate, 1500u);
    EXPECT_EQ(copy.task.opcSettings().localeId, 1033u);
    EXPECT_EQ(copy.task.opcSettings().timeBias, -120);
    EXPECT_FLOAT_EQ(copy.task.opcSettings().deadBand, 2.5f);
    EXPECT_EQ(copy.task.name(), "TASK1");
    EXPECT_EQ(copy.task.caption(), "Pumps");
    EXPECT_EQ(save(copy.task), bytes) << "a loaded record saves back unchanged";
}

TEST_F(ScanTaskRecordTest, PeriodSecondsAreStoredBeforeMinutes) {
    task->timing().setPeriod(ScanPeriod{0x0101, 0x0202, 0x0303, 0x0404});
    const auto bytes = save(*task);
    const std::size_t at = bytes.size() - payloadSize(*task);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + at, bytes.begin() + at + 8),
              (std::vector<std::uint8_t>{1, 1, 3, 3, 2, 2, 4, 4}));
}

TEST_F(ScanTaskRecordTest, StartSettingsAreReadOnlyFromPayloadsLongerThan20Bytes) {
    configure(*task);
    const auto full = save(*task);
    OtherTask loaded(registry, ui, services);
    loaded.task.timing().setStartMode(StartMode::Delayed);
    loaded.task.timing().setDelay(HourMinSec{0, 0, 42});

    const auto bytes = withPayload(full, payloadSize(*task), 20);
    ASSERT_TRUE(load(loaded.task, bytes).ok());
    EXPECT_EQ(position, bytes.size());
    EXPECT_EQ(loaded.task.timing().period(), (ScanPeriod{1, 2, 3, 40}));
    EXPECT_EQ(loaded.task.timing().scanLimit(), 77);
    EXPECT_EQ(loaded.task.timing().startMode(), StartMode::Delayed) << "not in the record: kept";
    EXPECT_EQ(loaded.task.timing().delay(), (HourMinSec{0, 0, 42}));
    EXPECT_FALSE(loaded.task.preTaskScript().hasText());
    expectOpcDefaults(loaded.task);

    // 34 bytes: the start settings, but no scripts.
    ASSERT_TRUE(load(loaded.task, withPayload(full, payloadSize(*task), 34)).ok());
    EXPECT_EQ(loaded.task.timing().startMode(), StartMode::SystemTime);
    EXPECT_EQ(loaded.task.timing().dailyStart(), (HourMinSec{10, 11, 12}));
    EXPECT_FALSE(loaded.task.preTaskScript().hasText());
}

TEST_F(ScanTaskRecordTest, Version3FilesHaveNoPriorityOrOpcSettings) {
    configure(*task);
    const auto bytes = asVersion3(*task);
    OtherTask loaded(registry, ui, services);
    ASSERT_TRUE(load(loaded.task, bytes, 3).ok());
    EXPECT_EQ(position, bytes.size());
    EXPECT_EQ(loaded.task.timing().dailyStart(), (HourMinSec{10, 11, 12}));
    EXPECT_EQ(loaded.task.postTaskScript().text(), task->postTaskScript().text());
    expectOpcDefaults(loaded.task);

    // Bytes after the scripts of a version-3 record are no settings.
    auto longer = bytes;
    longer.insert(longer.end(), {4, 0, 0, 0, 0, 1, 1});
    const std::size_t length = longer.size() - 6;
    longer[4] = static_cast<std::uint8_t>(length & 0xFF);
    longer[5] = static_cast<std::uint8_t>(length >> 8);
    OtherTask ignoring(registry, ui, services);
    ASSERT_TRUE(load(ignoring.task, longer, 3).ok());
    EXPECT_EQ(position, longer.size());
    expectOpcDefaults(ignoring.task);
    EXPECT_EQ(ignoring.task.reservedValue(), 0u);
}

TEST_F(ScanTaskRecordTest, ALongerRecordIsSkippedToItsEnd) {
    configure(*task);
    auto bytes = withPayload(save(*task), payloadSize(*task), payloadSize(*task) + 13);
    const std::size_t end = bytes.size();
    bytes.insert(bytes.end(), {'N', 'E', 'X', 'T'});
    OtherTask loaded(registry, ui, services);
    ASSERT_TRUE(load(loaded.task, bytes).ok());
    EXPECT_EQ(position, end);
    EXPECT_FLOAT_EQ(loaded.task.opcSettings().deadBand, 2.5f);
}

TEST_F(ScanTaskRecordTest, AScriptOfLengthZeroKeepsTheCurrentText) {
    const auto bytes = save(*task);  // no scripts
    OtherTask loaded(registry, ui, services);
    loaded.task.preTaskScript().setText("kept");
    ASSERT_TRUE(load(loaded.task, bytes).ok());
    EXPECT_EQ(loaded.task.preTaskScript().text(), "kept");
}

TEST_F(ScanTaskRecordTest, DamagedRecordsAreRefusedWithWhereTheyStopped) {
    configure(*task);
    const auto full = save(*task);
    OtherTask loaded(registry, ui, services);

    // Too short for the fields every record has.
    Status s = load(loaded.task, withPayload(full, payloadSize(*task), 12));
    EXPECT_EQ(s.code, kRecordLoadError);
    EXPECT_NE(s.context.find("at byte"), std::string::npos);

    // A script length that runs past the record.
    auto bytes = full;
    const std::size_t lengthAt = bytes.size() - payloadSize(*task) + 34;
    bytes[lengthAt + 3] = 0x7F;
    s = load(loaded.task, bytes);
    EXPECT_EQ(s.code, kRecordLoadError);
    EXPECT_NE(s.context.find("runs past the record"), std::string::npos);
    EXPECT_EQ(position, bytes.size()) << "the reader is still at the record's end";

    // A negative one.
    bytes[lengthAt + 3] = 0xFF;
    EXPECT_EQ(load(loaded.task, bytes).code, kRecordLoadError);
}

TEST_F(ScanTaskRecordTest, ModesAndOpcValuesOutOfRangeLoadAsDefaultsOrLimits) {
    task->setOpcSettings(OpcServerProperties{0, 0, 99999999, 0, 0, 250.0f});
    EXPECT_EQ(task->opcSettings().updateRate, ScanTask::kMaxOpcUpdateRate);
    EXPECT_FLOAT_EQ(task->opcSettings().deadBand, 100.0f);
    auto bytes = save(*task);
    const std::size_t at = bytes.size() - payloadSize(*task);
    bytes[at + 8] = 9;                     // duration mode
    bytes[at + 20] = 9;                    // start mode
    bytes[bytes.size() - 23] = 17;         // priority code
    const std::uint32_t nan = 0x7FC00000;  // a dead band that is not a number
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<std::uint8_t>(nan >> (8 * i));
    OtherTask loaded(registry, ui, services);
    ASSERT_TRUE(load(loaded.task, bytes).ok());
    EXPECT_EQ(loaded.task.timing().durationMode(), DurationMode::FreeRun);
    EXPECT_EQ(loaded.task.timing().startMode(), StartMode::Immediate);
    EXPECT_EQ(loaded.task.timing().priorityCode(), TaskTiming::kDefaultPriorityCode);
    EXPECT_FLOAT_EQ(loaded.task.opcSettings().deadBand, 100.0f);
}

TEST_F(ScanTaskRecordTest, TheReservedValueIsKeptWhenLoadedAndCopied) {
    auto bytes = save(*task);
    EXPECT_EQ(task->reservedValue(), 0u);
    bytes[bytes.size() - 22] = 0x2A;  // the reserved value's low byte
    OtherTask loaded(registry, ui, services);
    ASSERT_TRUE(load(loaded.task, bytes).ok());
    EXPECT_EQ(loaded.task.reservedValue(), 0x2Au);
    EXPECT_EQ(save(loaded.task), bytes);
    OtherTask copy(registry, ui, services);
    loaded.task.CopyTo(copy.task);
    EXPECT_EQ(copy.task.reservedValue(), 0x2Au);
}

TEST_F(ScanTaskRecordTest, CopyToCopiesTimingStartDurationAndOpcButNotPriorityScriptsOrNames) {
    configure(*task);
    OtherTask copy(registry, ui, services);
    task->CopyTo(copy.task);
    const TaskTiming& t = copy.task.timing();
    EXPECT_EQ(t.period(), task->timing().period());
    EXPECT_EQ(t.durationMode(), DurationMode::TimeBased);
    EXPECT_EQ(t.duration(), (HourMinSec{4, 5, 6}));
    EXPECT_EQ(t.scanLimit(), 77);
    EXPECT_EQ(t.startMode(), StartMode::SystemTime);
    EXPECT_EQ(t.delay(), (HourMinSec{7, 8, 9}));
    EXPECT_EQ(t.dailyStart(), (HourMinSec{10, 11, 12}));
    EXPECT_EQ(copy.task.opcSettings().readMode, 1);
    EXPECT_EQ(copy.task.opcSettings().dataSource, 1);
    EXPECT_EQ(copy.task.opcSettings().updateRate, 1500u);
    EXPECT_EQ(copy.task.opcSettings().localeId, 1033u);
    EXPECT_EQ(copy.task.opcSettings().timeBias, -120);
    EXPECT_FLOAT_EQ(copy.task.opcSettings().deadBand, 2.5f);

    EXPECT_EQ(t.priorityCode(), TaskTiming::kDefaultPriorityCode);
    EXPECT_FALSE(copy.task.preTaskScript().hasText());
    EXPECT_FALSE(copy.task.postTaskScript().hasText());
    EXPECT_EQ(copy.task.name(), "TASK2");
    EXPECT_NE(copy.task.caption(), "Pumps");
}

// ---- the setup dialog ----

TEST_F(ScanTaskRecordTest, TheSetupTableIsConsistentAndUsesTheDialogsLabels) {
    PropertySet p = task->properties();
    EXPECT_TRUE(p.table().selfCheck().ok()) << p.table().selfCheck().context;
    EXPECT_EQ(p.table().pages(), (std::vector<std::string>{"", "OPC Setting", "Advanced"}));
    EXPECT_EQ(p.field(*p.indexOf("name")).label, "Tag:");
    EXPECT_EQ(p.field(*p.indexOf("caption")).label, "Description:");
    EXPECT_EQ(p.field(*p.indexOf("durationMode")).choices.front().label, "Free run (run forever)");
    EXPECT_EQ(p.field(*p.indexOf("priority")).choices.back().label, "Time critical (highest)");

    // The delay is only editable for a delayed start.
    EXPECT_FALSE(p.enabled(*p.indexOf("delaySeconds")));
    ASSERT_TRUE(p.setText(*p.indexOf("startMode"), "Delayed:").ok());
    EXPECT_TRUE(p.enabled(*p.indexOf("delaySeconds")));
    EXPECT_FALSE(p.setText(*p.indexOf("dailyHours"), "24").ok());
    EXPECT_FALSE(p.setText(*p.indexOf("opcDeadBand"), "101").ok());
}

TEST_F(ScanTaskRecordTest, OkInTheDialogFitsThePeriodToTheResolutionAndSaysSo) {
    PropertySet p = task->properties();
    view.onConfigure = [&](Node&) {
        const std::vector<PropertySet::NamedChange> changes{{"periodSeconds", std::int64_t{0}},
                                                            {"periodMilliseconds", std::int64_t{12}}};
        ASSERT_TRUE(p.applyNamed(changes).ok());
    };
    task->Configure();
    EXPECT_EQ(task->timing().period(), (ScanPeriod{0, 0, 0, 10}));
    EXPECT_EQ(task->timing().periodTicks(), 2);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0],
              "The task scan period you typed will be adjusted to fit the resolution (5ms) of multi-task "
              "scheduling timer. Please refer to the manual for further information.");

    // A period of 0 becomes one resolution, with the notice again.
    view.onConfigure = [&](Node&) {
        ASSERT_TRUE(
            p.applyNamed(std::vector<PropertySet::NamedChange>{{"periodMilliseconds", std::int64_t{0}}})
                .ok());
    };
    task->Configure();
    EXPECT_EQ(task->timing().periodMs(), 5);
    EXPECT_EQ(ui.messages().size(), 2u);

    // A multiple of R is taken quietly; Cancel changes nothing.
    view.onConfigure = [&](Node&) {
        ASSERT_TRUE(
            p.applyNamed(std::vector<PropertySet::NamedChange>{{"periodMilliseconds", std::int64_t{25}}})
                .ok());
    };
    task->Configure();
    EXPECT_EQ(task->timing().periodMs(), 25);
    view.dialogAnswer = false;
    view.onConfigure = nullptr;
    task->Configure();
    EXPECT_EQ(ui.messages().size(), 2u);
}

TEST_F(ScanTaskRecordTest, RenamingTheTaskMovesItsTaskInTheTagDatabase) {
    TagDatabase tags;
    NodeContext withTags = context;
    withTags.tags = &tags;
    ScanTask named(withTags, services);
    ASSERT_EQ(tags.AddTaskName(named.name(), &named), kOk);
    ASSERT_EQ(tags.AddTaskName("PUMPS"), kOk);

    EXPECT_EQ(named.renameTask("").code, kMsgInvalidTaskOrTagName);
    EXPECT_EQ(named.renameTask("TOOLONGNAME").code, kMsgInvalidTaskOrTagName);
    EXPECT_EQ(named.renameTask("PUMPS").code, kMsgInvalidTaskOrTagName) << "the database has that task";
    EXPECT_EQ(named.name(), "TASK2");
    ASSERT_TRUE(named.renameTask("VALVES").ok());
    EXPECT_EQ(named.name(), "VALVES");
    EXPECT_EQ(named.taskName(), "VALVES");
    EXPECT_NE(tags.GetTaskRecordPtr("VALVES"), nullptr);
    EXPECT_EQ(tags.GetTaskRecordPtr("TASK2"), nullptr);
}

}  // namespace
}  // namespace kestrune::test
