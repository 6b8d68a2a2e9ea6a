#pragma once
// The QtTest classes of the test program, each registered by its file with
// KESTRUNE_GUI_TEST(Class) so that one main runs them all.

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace kestrune::testing_support {

struct GuiTestEntry {
    const char* name;
    std::function<std::unique_ptr<QObject>()> make;
};

inline std::vector<GuiTestEntry>& guiTests() {
    static std::vector<GuiTestEntry> tests;
    return tests;
}

struct GuiTestRegistration {
    GuiTestRegistration(const char* name, std::function<std::unique_ptr<QObject>()> make) {
        guiTests().push_back({name, std::move(make)});
    }
};

}  // namespace kestrune::testing_support

#define KESTRUNE_GUI_TEST(Class)                                                       \
    static const ::kestrune::testing_support::GuiTestRegistration registration##Class( \
        #Class, [] { return std::unique_ptr<QObject>(new Class); })
