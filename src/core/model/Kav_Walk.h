#pragma once
// Building the tree below a node, as kavex-dump --all, the fuzz target and the tests do.

#include <functional>

namespace kavex {

class TKavClass;

// Builds Node's children until it has no more. A child that cannot be built ends the
// building: its EKavError is caught (its finding is already in the log) and the children built
// before it stay. Returns false when an error ended it.
bool BuildChildren(TKavClass& Node);

using TNodeVisit = std::function<void(TKavClass& Node)>;

// Builds every node below Node, depth-first in tree order: a node's children are all built
// before the first of them is expanded. Only nodes that may have children are asked for any.
// Visit, if given, sees each node before its children are built; OnError, if given, is called
// with each node whose building an error ended.
void ExpandAll(TKavClass& Node, const TNodeVisit& Visit = {}, const TNodeVisit& OnError = {});

}  // namespace kavex
