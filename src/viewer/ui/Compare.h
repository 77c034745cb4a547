#pragma once
// TfMain's comparison with a second image (Compare.cpp): the second image as read and built
// whole, the comparison of the shown image with it, and that comparison laid over the tree.

#include <QString>
#include <memory>

#include "model/Kav_Fls.h"
#include "present/Kav_Compare.h"
#include "present/Kav_CompareView.h"

namespace kavex {

struct TCompareSession {
  QString FileName;  // as opened
  std::unique_ptr<TFls> Second;
  TComparison Comparison;
  TCompareView View;  // points into Comparison and both trees
};

// "Compared with NAME: 3 changed, 1 added, 0 removed".
QString CompareStatusText(const QString& FileName, const TComparison& Comparison);

}  // namespace kavex
