#pragma once
// Building the tree below a node, as kavex-dump --all, the fuzz target and the tests do.

#include <functional>
#include <string>

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

// Positions name a node by where it stands, as kavex-dump, the exports and the viewer show
// them: "0" for the root, otherwise the 1-based child numbers from below the root down to the
// node, joined by dots ("2.5.1").
inline constexpr const char* NodePositionForm = "a position is \"0\" or child numbers from 1 joined by dots, like 2.5.1";

std::string NodePosition(const TKavClass& Node);

// Whether Text has the form of a position: numbers joined by dots. Whether a node stands there
// is only known once the image is read.
bool IsNodePosition(const std::string& Text);

// The node at Position below Root, building the children on the way as an expansion does (the
// children built before an error are still there to be named). nullptr, with Error saying why,
// when Position has not the form of one or no node stands there.
TKavClass* NodeAtPosition(TKavClass& Root, const std::string& Position, std::string& Error);

}  // namespace kavex
