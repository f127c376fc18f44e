// What a list, tree or hex dump control last reported to its host: the
// change kind its host reads back with GetOnChangeType.
#pragma once

namespace AppCtrlOperation {
enum EN_OPERATION_TYPE {
  OPERATION_PROPERTIES = 0,  // a double click on a row
  OPERATION_SELECT = 1,      // the selection changed
  OPERATION_BEGIN_EDIT = 2,  // an in-place edit is to begin
  OPERATION_END_EDIT = 3,    // an in-place edit has ended
};
}  // namespace AppCtrlOperation
