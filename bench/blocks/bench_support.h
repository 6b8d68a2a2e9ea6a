#pragma once
// What the block benchmarks share: a task view that names the task, the data
// movement of a block scan written out by hand (for the "published"
// baselines), and the reporter that keeps each benchmark's fastest
// repetition so that main can print ratios measured in the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/ratio_report.h"
#include "components/tagdb/tag_database.h"
#include "taskmodel/output_value.h"
#include "taskmodel/tag_publication.h"
#include "taskmodel/node_host.h"

namespace kestrune::bench {

class BenchView : public NodeHost {
  public:
    explicit BenchView(NodeGraph* graph) : graph_(graph) {}
    std::string ownerName() const override { return "TASK1"; }
    NodeGraph* ownerGraph() const override { return graph_; }
    bool showCaptions() const override { return true; }
    bool showOrderNumbers() const override { return false; }
    void invalidate(const Rect&, bool) override {}

  private:
    NodeGraph* graph_;
};

// The data movement of a block scan without a block: a wired source value,
// an output value and a published tag of `count` elements written through
// its handle.
struct Published {
    OutputValue source{kTypeFloat};
    OutputValue output;
    TagPublication tag;

    Published(TagDatabase& tags, const char* name, std::uint16_t count = 1)
        : output(count > 1 ? kTypeFloatArray : kTypeFloat, count), tag(&tags) {
        tag.setShape({count > 1 ? kTagFloatArray : kTagFloat, count});
        tag.publish("BENCH", name);
        tag.attach("BENCH");
    }
};

}  // namespace kestrune::bench
