#pragma once
// A script engine for tests, with a language just big enough to exercise the
// host: "Sub NAME()" ... "End Sub" declare entry points; in a Sub, "loop"
// repeats for ever, "error N" is run-time error N at its line, any other
// line is one step. Anywhere, "syntax N" is syntax error N at its line,
// "garbage" a compile failure with no line, "unloadable" code that compiles
// but cannot be loaded. Each step checks the cancel flag and the budget.

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "scripting/extension_library.h"
#include "scripting/script_engine.h"

namespace kestrune::test {

class FakeScriptEngine final : public ScriptEngine {
  public:
    struct Statement {
        std::string text;
        std::uint32_t line = 0;
    };
    using Subs = std::map<std::string, std::vector<Statement>>;

    class Instance final : public ScriptInstance {
      public:
        Instance(const std::vector<Statement>& body, const ScriptInstanceOptions& options, FakeScriptEngine& engine)
            : body_(body), options_(options), engine_(engine) {}

        ScriptRunResult run(std::string_view) override {
            cancelled_ = false;
            std::uint64_t steps = 0;
            for (const Statement& s : body_) {
                do {
                    if (cancelled_.load()) return {ScriptRunResult::Outcome::Cancelled};
                    if (options_.stepBudget && steps == *options_.stepBudget)
                        return {ScriptRunResult::Outcome::StepBudgetSpent, 0, s.line};
                    ++steps;
                    ++engine_.steps;
                    if (s.text.rfind("error ", 0) == 0)
                        return {ScriptRunResult::Outcome::RuntimeError,
                                static_cast<std::uint32_t>(std::stoul(s.text.substr(6))), s.line, "fake error"};
                } while (s.text == "loop");
            }
            return {};
        }
        void cancel() override { cancelled_ = true; }
        ScriptContext* context() const { return options_.context; }

      private:
        std::vector<Statement> body_;
        ScriptInstanceOptions options_;
        FakeScriptEngine& engine_;
        std::atomic<bool> cancelled_{false};
    };

    class Module final : public ScriptModule {
      public:
        Module(Subs subs, FakeScriptEngine& engine) : subs_(std::move(subs)), engine_(engine) {}
        bool hasEntryPoint(std::string_view name) const override { return subs_.count(std::string(name)) != 0; }
        std::unique_ptr<ScriptInstance> createInstance(std::string_view entry,
                                                       const ScriptInstanceOptions& options) override {
            auto instance = std::make_unique<Instance>(subs_.at(std::string(entry)), options, engine_);
            engine_.lastInstance = instance.get();
            return instance;
        }

      private:
        Subs subs_;
        FakeScriptEngine& engine_;
    };

    ScriptCompilation compile(std::string_view text) override {
        ScriptCompilation out;
        Subs subs;
        std::string current;
        std::istringstream in{std::string(text)};
        std::string line;
        for (std::uint32_t number = 1; std::getline(in, line); ++number) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("syntax ", 0) == 0) {
                out.outcome = ScriptCompilation::Outcome::SyntaxError;
                out.errorNumber = static_cast<std::uint32_t>(std::stoul(line.substr(7)));
                out.line = number;
                return out;
            }
            if (line == "garbage") return out;
            if (line.rfind("Sub ", 0) == 0) {
                current = line.substr(4, line.find('(') - 4);
                subs[current];
            } else if (line == "End Sub") {
                current.clear();
            } else if (!current.empty() && !line.empty()) {
                subs[current].push_back({line, number});
            }
        }
        out.outcome = ScriptCompilation::Outcome::Compiled;
        if (text.find("unloadable") == std::string_view::npos)
            out.module = std::make_unique<Module>(std::move(subs), *this);
        return out;
    }
    Status registerExtensions(const ExtensionLibrary& library) override {
        extensions = &library;
        return {};
    }

    std::atomic<std::uint64_t> steps{0};
    Instance* lastInstance = nullptr;
    const ExtensionLibrary* extensions = nullptr;
};

}  // namespace kestrune::test
