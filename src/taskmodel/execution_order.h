#pragma once
// The execution-order rule. A task scans its nodes in ascending order number,
// so every wire must run from a lower number to a higher one. When a wire
// from S to T is about to be made and T's number is not above S's, the two
// numbers are swapped and the change is carried along the chains that would
// otherwise break: from S upstream (its highest-numbered source above it
// changes places with it, and so on) and from T downstream (its
// lowest-numbered target below it, and so on), repeating until S is below T.
// A wire from S to T closes a loop when T already reaches S along wires; such
// a wire is refused before any number moves. (The walks alone would notice
// some loops by S getting its old number back, but a loop through a branch
// the walks do not follow slips past them.) A flow that already holds a loop,
// which only a damaged file can bring, takes no new wire either.
//
// Should the walks leave a wire at a renumbered node running downwards, the
// numbers of the nodes joined to the new wire are dealt out again in an order
// of their wires, lowest first where the wires leave a choice. Numbers only
// change places, so the numbers of a task stay a permutation, and a refused
// wire changes no number at all.

#include <vector>

namespace kestrune {

class Node;

struct OrderResult {
    bool accepted = true;
    // Nodes whose number changed (to redraw when numbers are shown); empty when refused.
    std::vector<Node*> renumbered;
};

// `source` and `target` are the ends of the new wire, which is not yet in
// their wire lists.
OrderResult ApplyExecutionOrder(Node& source, Node& target);

// Deals out again the numbers that `nodes` hold so that every wire between
// them, and the edge from `extraSource` to `extraTarget` when both are given,
// runs upwards; where the wires leave a choice the lower-numbered node goes
// first. Wires to nodes outside the set are not considered. Returns false, and
// changes nothing, when those wires form a loop. Also repairs the numbers of
// a task read from a file whose numbers run against its wires.
bool RenumberAlongWires(const std::vector<Node*>& nodes, const Node* extraSource = nullptr,
                        const Node* extraTarget = nullptr);

}  // namespace kestrune
