// The file list's drop target: collects the full paths of the files dragged
// over the list (from the shell's item list, else from CF_HDROP), answers
// with the link effect, and on the drop sends WM_FILESDROPPED to the list's
// parent, which reads DropPaths() while it handles the message.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <string>
#include <vector>

namespace quillon {

class FileListDropTarget final : public IDropTarget {
 public:
  // Starts with one reference, held by the creator.
  explicit FileListDropTarget(HWND list);

  // RegisterDragDrop for the list (OLE must be initialised on this thread);
  // false when the system refused.
  bool Register();
  // RevokeDragDrop; call before the list's window is destroyed.
  void Revoke();

  // Whether drops are taken; false refuses every drag with no effect, also
  // one that entered while drops were still taken.
  void SetAcceptDrop(bool accept);
  // The paths of the drop being delivered, in the order the source lists
  // them; valid while WM_FILESDROPPED is being handled.
  const std::vector<std::u16string>& DropPaths() const { return m_dropPaths; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point,
                                 DWORD* effect) override;

 private:
  ~FileListDropTarget() = default;

  LONG m_references = 1;
  HWND m_list;
  bool m_registered = false;
  bool m_bAcceptDrop = false;
  bool m_bDropReady = false;
  // Set while WM_FILESDROPPED is being handled: a drag that enters meanwhile
  // (from a message box of the handler, say) must not replace the paths the
  // handler is reading.
  bool m_delivering = false;
  std::vector<std::u16string> m_dropPaths;
};

}  // namespace quillon
