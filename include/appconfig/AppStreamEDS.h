// CANopen electronic data sheets (EDS) and device configuration files (DCF)
// as parameter trees, and DCF files written back from a tree.
//
// The tree of a device is fixed by its object dictionary:
//   - the root is a group keyed DEVICE, named after [DeviceInfo] ProductName
//     (else the file's name without extension);
//   - a VAR object is a leaf keyed "O" + its index in four upper-case hex
//     digits (O1000); an ARRAY or RECORD is a group keyed the same way with
//     one leaf per sub-index, keyed "S" + two hex digits (S00, S01 ...), in
//     sub-index order; objects come in index order; names are ParameterName;
//   - BOOLEAN is a numeric UI1 of 1 bit; INTEGER8/16/32 are I1/I2/I4 and
//     UNSIGNED8/16/32 UI1/UI2/UI4 of 8/16/32 bits; INTEGER24 and UNSIGNED24
//     are I4 and UI4 of 24 bits; a numeric leaf without LowLimit/HighLimit
//     gets the range of its bits as bounds; VISIBLE_STRING is a value parameter holding a string;
//     OCTET_STRING and DOMAIN are byte arrays (hexadecimal digits, an odd
//     count left-padded with a 0). Strings and byte arrays take no place in
//     the data image. Every other type is skipped;
//   - the value is ParameterValue when present and not empty, else
//     DefaultValue; DefaultValue is the default, LowLimit/HighLimit the
//     bounds; numbers may be decimal, 0x hexadecimal or octal, and sums with
//     $NODEID; AccessType ro or const makes the leaf read-only.
// What is skipped (other types, object types other than VAR, ARRAY and
// RECORD, objects listed without a section, arrays left empty) is named in
// one soft error per file.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CAppParam;

class CAppStreamEDS {
public:
  CAppStreamEDS() = delete;

  // Take the node id from the file: [DeviceComissioning] NodeID, else 0.
  static constexpr int NODE_ID_FROM_FILE = -1;

  // The tree of the device that `file` (an .eds or .dcf path) describes,
  // owned by the caller. $NODEID stands for `nodeId` (NODE_ID_FROM_FILE:
  // the file's). When `skipped` is given it receives the entries left out
  // ("1A00 (REAL32)"), which are also sent as one soft error. A file that
  // cannot be read or is malformed throws a CAppException naming the file,
  // the line and the problem; nothing else is changed then.
  static std::unique_ptr<CAppParam> Load(const std::string& file, int nodeId = NODE_ID_FROM_FILE,
                                         std::vector<std::string>* skipped = nullptr);

  struct DcfOptions {
    int nodeId = NODE_ID_FROM_FILE;  // [DeviceComissioning] NodeID to write
    int baudrate = -1;               // kbit/s; < 0 leaves Baudrate alone
  };

  // Writes `target`: the lines of `source` (an .eds or .dcf) as they are,
  // with ParameterValue set or added for each entry whose value in `values`
  // (a tree of that device, found by path below its root) differs from its
  // default or from the ParameterValue it already has, and
  // [DeviceComissioning] NodeID (and Baudrate when given) set; defaults
  // holding $NODEID are read with that node id. Entries `values` does not
  // hold keep their lines. The file is written through a temporary file
  // renamed over the target: a failure throws and leaves any previous
  // target as it was.
  static void SaveDCF(const std::string& source, CAppParam* values, const std::string& target,
                      const DcfOptions& options);
};
