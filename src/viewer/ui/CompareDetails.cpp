// Both sides of a node while two images are compared: the detail area and the bytes view.

#include "ui/Bytes.h"
#include "ui/NodeDetails.h"

namespace kavex {

bool TNodeDetails::ShowComparison(const TNodeDiff* Diff) {
  (void)Diff;
  return false;
}

void TBytesView::SetCounterpart(const TNodeDiff* Diff) { (void)Diff; }

}  // namespace kavex
