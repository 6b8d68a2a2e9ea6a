#pragma once
// Where printed event lines go: raw data to a printer queue, as one job per
// batch of lines. The program prints through the CUPS client (`lp -o raw`);
// tests hand the event log a printer of their own.

#include <string>
#include <string_view>

#include "platform/status.h"

namespace kestrune {

class EventPrinter {
  public:
    virtual ~EventPrinter() = default;
    // Whether printing can work at all (checked when a run that prints events starts).
    virtual Status check() = 0;
    // Sends `data` unchanged to the printer as a job named `documentName`.
    virtual Status printRaw(std::string_view data, std::string_view documentName) = 0;
};

// Prints with `lp -o raw -t <document name>` on the default printer (or on
// `destination` when one is given), feeding the data on lp's standard input.
// Without the lp command it reports 32854 with a context that says so, and
// a failing lp reports its exit status. Runs lp to completion on the calling
// thread, which lp keeps short: it only hands the job to the spooler.
class LpPrinter final : public EventPrinter {
  public:
    explicit LpPrinter(std::string command = "lp", std::string destination = {});

    Status check() override;
    Status printRaw(std::string_view data, std::string_view documentName) override;

  private:
    // The command's full path, or "" when it cannot be found or run.
    std::string resolveCommand() const;

    std::string command_;
    std::string destination_;
};

}  // namespace kestrune
