// What appconfig-edit edits: one parameter tree with its resources, the
// file it came from, the undo of the last change and whether it differs
// from what was last opened or saved. No widgets here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "appconfig/AppStreamXML.h"

class CAppParam;
class CAppResources;

class EditDocument {
public:
  struct CheckError {
    std::string path;  // below the root, "" for the root
    std::string message;
  };

  EditDocument();
  ~EditDocument();
  EditDocument(const EditDocument&) = delete;
  EditDocument& operator=(const EditDocument&) = delete;

  // FILE.bin, a CANopen FILE.eds or FILE.dcf (its definition is DEVICE), or
  // definition `key` of FILE.xml (any other extension is read as XML; no
  // key: the file's only definition, as in a value file). On failure it
  // throws and the document is unchanged.
  void Open(const std::string& file, const std::string& key,
            CAppStreamXML::LoadProgress* progress = nullptr);
  // Saves as a binary parameter file when the name ends in ".bin", as a DCF
  // when it ends in ".dcf" (the lines of the device file the tree came
  // from, with the values that differ), else as an XML value file (".xml"
  // added when missing); the document is then that file. A failure throws
  // and leaves any previous file as it was.
  void SaveAs(const std::string& file);
  // Whether Save may write over the file: a binary file, a DCF, or an XML
  // value file (one definition, no resources; a description would lose the
  // rest). An EDS stays as it is: its values go to a DCF.
  // Asks the file as it is now.
  bool CanSaveInPlace() const;
  void Save() { SaveAs(m_strFile); }

  CAppParam* Root() const { return m_pRoot.get(); }
  CAppResources& Resources() const { return *m_pResources; }
  const std::string& File() const { return m_strFile; }
  const std::string& Key() const { return m_strKey; }
  bool IsModified() const { return m_bModified; }
  // The .eds or .dcf the tree came from (and a DCF is written from); empty
  // for other files.
  const std::string& DeviceSource() const { return m_strDeviceSource; }
  // The entries of that file left out of the tree ("1A00 (REAL32)" ...).
  const std::vector<std::string>& Skipped() const { return m_skipped; }

  // Around an edit of the tree: the state before it becomes the undo when
  // the edit changed anything. EndChange answers whether it did.
  void BeginChange();
  bool EndChange();
  bool CanUndo() const { return !m_undo.empty(); }
  // Gives the tree its state before the last change again. Every node below
  // the root is recreated: pointers to them are stale afterwards.
  void Undo();

  // Every node's check (its rule, then its class), each failure listed with
  // its node's path, in tree order; soft errors reported meanwhile too.
  std::vector<CheckError> CheckAll();

private:
  std::vector<std::uint8_t> Snapshot() const;
  void CheckNode(CAppParam* node, std::vector<CheckError>& errors);

  std::unique_ptr<CAppResources> m_pResources;
  std::unique_ptr<CAppParam> m_pRoot;
  std::string m_strFile;
  std::string m_strKey;
  std::string m_strDeviceSource;
  std::vector<std::string> m_skipped;
  std::vector<std::uint8_t> m_saved;   // the tree as last opened or saved
  std::vector<std::uint8_t> m_before;  // taken by BeginChange
  std::vector<std::uint8_t> m_undo;
  bool m_bModified = false;
};
