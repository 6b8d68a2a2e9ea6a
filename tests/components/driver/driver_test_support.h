#pragma once
// Shared by the driver and OPC tests: a private system directory per test (so
// nothing touches the real home), and a user interface that answers from a
// script and records what it was shown.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/user_interface.h"

namespace kestrune::testing {

class TempHome {
  public:
    TempHome() {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("kestrune-driver-" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        if (const char* old = std::getenv("KESTRUNE_HOME")) old_ = old;
        ::setenv("KESTRUNE_HOME", dir_.c_str(), 1);
    }
    ~TempHome() {
        if (old_)
            ::setenv("KESTRUNE_HOME", old_->c_str(), 1);
        else
            ::unsetenv("KESTRUNE_HOME");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::filesystem::path& dir() const { return dir_; }
    std::filesystem::path write(const std::string& name, const std::string& text) const {
        const auto p = dir_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }

  private:
    std::filesystem::path dir_;
    std::optional<std::string> old_;
};

class ScriptedUi : public UserInterface {
  public:
    std::optional<int> choice;  // what chooseFromList answers
    std::vector<std::string> shown;
    std::vector<std::string> listed;

    void showMessage(std::string_view text, std::string_view, MessageIcon) override {
        shown.emplace_back(text);
    }
    Answer askOkCancel(std::string_view, std::string_view, MessageIcon) override { return Answer::Ok; }
    Answer askYesNo(std::string_view, std::string_view, MessageIcon) override { return Answer::Yes; }
    Answer askYesNoCancel(std::string_view, std::string_view, MessageIcon) override { return Answer::Yes; }
    std::optional<int> chooseFromList(std::string_view, const std::vector<std::string>& items) override {
        listed = items;
        return choice;
    }
    std::optional<std::string> askText(std::string_view, std::string_view, bool) override {
        return std::nullopt;
    }
};

}  // namespace kestrune::testing
