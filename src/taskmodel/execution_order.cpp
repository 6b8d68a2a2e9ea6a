#include "taskmodel/execution_order.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <queue>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "taskmodel/node.h"
#include "taskmodel/wire.h"

namespace kestrune {
namespace {

template <class F>
void forEachTarget(const Node& node, F&& f) {
    for (const Wire* wire : node.outgoingWires()) {
        if (wire->isWire() && wire->target() != nullptr) f(wire->target());
    }
}

template <class F>
void forEachSource(const Node& node, F&& f) {
    for (const Wire* wire : node.incomingWires()) {
        if (wire->isWire() && wire->source() != nullptr) f(wire->source());
    }
}

// Every node joined to the two ends by wires, in either direction.
std::vector<Node*> componentOf(Node& source, Node& target) {
    std::vector<Node*> out;
    std::vector<Node*> pending{&source, &target};
    std::unordered_set<Node*> seen;
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if (!seen.insert(node).second) continue;
        out.push_back(node);
        forEachSource(*node, [&](Node* next) { pending.push_back(next); });
        forEachTarget(*node, [&](Node* next) { pending.push_back(next); });
    }
    return out;
}

class Renumbering {
  public:
    void remember(Node& node) {
        const bool known =
            std::any_of(before_.begin(), before_.end(), [&](const auto& e) { return e.first == &node; });
        if (!known) before_.emplace_back(&node, node.order());
    }

    void swap(Node& a, Node& b) {
        remember(a);
        remember(b);
        const std::uint32_t t = a.order();
        a.setOrder(b.order());
        b.setOrder(t);
    }

    // From `start` upstream: while a source feeding the current node has a
    // higher number, the highest one changes places with it.
    void walkUpstream(Node& start, std::size_t maxSteps) {
        Node* current = &start;
        for (std::size_t step = 0; step < maxSteps; ++step) {
            Node* best = nullptr;
            forEachSource(*current, [&](Node* source) {
                if (source->order() > current->order() &&
                    (best == nullptr || source->order() > best->order())) {
                    best = source;
                }
            });
            if (best == nullptr) return;
            swap(*current, *best);
            current = best;
        }
    }

    // From `start` downstream: while a target fed by the current node has a
    // lower number, the lowest one changes places with it.
    void walkDownstream(Node& start, std::size_t maxSteps) {
        Node* current = &start;
        for (std::size_t step = 0; step < maxSteps; ++step) {
            Node* best = nullptr;
            forEachTarget(*current, [&](Node* target) {
                if (target->order() < current->order() &&
                    (best == nullptr || target->order() < best->order())) {
                    best = target;
                }
            });
            if (best == nullptr) return;
            swap(*current, *best);
            current = best;
        }
    }

    void restore() {
        for (auto& [node, order] : before_) node->setOrder(order);
    }

    std::vector<Node*> changed() const {
        std::vector<Node*> out;
        for (const auto& [node, order] : before_) {
            if (node->order() != order) out.push_back(node);
        }
        return out;
    }

  private:
    std::vector<std::pair<Node*, std::uint32_t>> before_;
};

// Whether every wire at a renumbered node, and the new one, runs upwards.
bool orderHolds(const std::vector<Node*>& renumbered, const Node& source, const Node& target) {
    if (source.order() >= target.order()) return false;
    for (const Node* node : renumbered) {
        bool holds = true;
        forEachSource(*node, [&](const Node* s) { holds = holds && s->order() < node->order(); });
        forEachTarget(*node, [&](const Node* t) { holds = holds && t->order() > node->order(); });
        if (!holds) return false;
    }
    return true;
}

// The nodes in an order that every wire among them (and the extra edge) runs
// along, the lower-numbered node first where the wires leave a choice; none
// when those wires form a loop.
std::optional<std::vector<Node*>> wireOrder(const std::vector<Node*>& given, const Node* extraSource,
                                            const Node* extraTarget) {
    std::unordered_map<const Node*, std::size_t> waiting;  // unplaced sources within the set
    std::vector<Node*> nodes;
    for (Node* node : given) {
        if (waiting.emplace(node, 0).second) nodes.push_back(node);
    }
    auto successors = [&](const Node* node) {
        std::vector<Node*> out;
        forEachTarget(*node, [&](Node* next) {
            if (waiting.contains(next)) out.push_back(next);
        });
        if (node == extraSource && waiting.contains(extraTarget))
            out.push_back(const_cast<Node*>(extraTarget));
        return out;
    };
    for (const Node* node : nodes) {
        for (const Node* next : successors(node)) ++waiting[next];
    }
    auto later = [](const Node* a, const Node* b) { return a->order() > b->order(); };
    std::priority_queue<Node*, std::vector<Node*>, decltype(later)> ready(later);
    for (Node* node : nodes) {
        if (waiting[node] == 0) ready.push(node);
    }
    std::vector<Node*> sequence;
    while (!ready.empty()) {
        Node* node = ready.top();
        ready.pop();
        sequence.push_back(node);
        for (Node* next : successors(node)) {
            if (--waiting[next] == 0) ready.push(next);
        }
    }
    if (sequence.size() != nodes.size()) return std::nullopt;  // a loop kept some nodes waiting
    return sequence;
}

void dealOut(const std::vector<Node*>& sequence) {
    std::vector<std::uint32_t> numbers;
    for (const Node* node : sequence) numbers.push_back(node->order());
    std::sort(numbers.begin(), numbers.end());
    for (std::size_t i = 0; i < sequence.size(); ++i) sequence[i]->setOrder(numbers[i]);
}

}  // namespace

bool RenumberAlongWires(const std::vector<Node*>& nodes, const Node* extraSource, const Node* extraTarget) {
    const auto sequence = wireOrder(nodes, extraSource, extraTarget);
    if (!sequence) return false;
    dealOut(*sequence);
    return true;
}

OrderResult ApplyExecutionOrder(Node& source, Node& target) {
    // The walks below notice a loop only when it brings the source's number
    // back; a loop through a branch they do not follow slips past them. So
    // the flow the new wire joins is checked for loops first, which also
    // keeps the walks from circling in a loop a damaged file brought along.
    const std::vector<Node*> joined = componentOf(source, target);
    std::optional<std::vector<Node*>> sequence = wireOrder(joined, &source, &target);
    if (&source == &target || !sequence) return {false, {}};

    // In a flow without loops a walk follows a path, so it takes fewer steps
    // than there are nodes; the bound on the rounds is only a safeguard.
    const std::size_t bound = joined.size() + 1;
    Renumbering renumbering;
    const std::uint32_t original = source.order();
    bool settled = true;
    for (std::size_t round = 0; target.order() < source.order(); ++round) {
        renumbering.swap(source, target);
        renumbering.walkUpstream(source, bound);
        renumbering.walkDownstream(target, bound);
        if (source.order() == original || round > 2 * bound) {
            settled = false;
            break;
        }
    }
    if (!settled || !orderHolds(renumbering.changed(), source, target)) {
        renumbering.restore();
        for (Node* node : joined) renumbering.remember(*node);
        dealOut(*sequence);
    }
    return {true, renumbering.changed()};
}

}  // namespace kestrune
