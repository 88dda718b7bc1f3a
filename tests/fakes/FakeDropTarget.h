#pragma once
// Stand-ins for the two ends of an OLE drag that a test cannot produce on demand: a drop target in the
// shell's place (Wine's own copies nothing and a right-button drop would show a menu waiting for a person),
// and a drag source that plays the user's hand (moves the pointer, rests, lets the button go or presses
// Escape) around the control's real drag source.
#include <windows.h>

#include <ole2.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/ComPtr.h"

namespace zortest {

// The paths of the CF_HDROP a data object offers (empty when it offers none).
std::vector<std::string> DroppedPaths(IDataObject *data);

class FakeDropTarget : public IDropTarget {
public:
  struct Call {
    std::string Kind; // "enter", "over", "leave", "drop"
    DWORD Keys = 0;
    DWORD Effect = 0; // as received
    std::vector<std::string> Paths;
  };
  static ComPtr<FakeDropTarget> Create();

  // What DragEnter, DragOver and Drop answer with (within the effects offered).
  DWORD Answer = DROPEFFECT_COPY;
  std::vector<Call> Calls;
  // The drops among the calls.
  std::vector<Call> Drops() const;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *data, DWORD keys, POINTL, DWORD *effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL, DWORD *effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject *data, DWORD keys, POINTL, DWORD *effect) override;

private:
  FakeDropTarget() = default;
  virtual ~FakeDropTarget() = default;
  LONG FRefCount = 1;
};

class ScriptedDropSource : public IDropSource {
public:
  struct Step {
    POINT Screen;               // where the pointer goes
    DWORD RestMs;               // how long it rests there
    std::function<void()> Then; // run once the rest is over
  };
  // button: VK_LBUTTON or VK_RBUTTON, held down from the start (in the thread's key state, which is where
  // OLE reads it) and let go after the last step, unless holdAtEnd keeps it down (for Escape) for at most
  // a few seconds.
  static ComPtr<ScriptedDropSource> Create(ComPtr<IDropSource> real, int button, std::vector<Step> steps,
                                           bool holdAtEnd = false);
  // Sets or clears a key in the thread's key state.
  static void SetKeyDown(int key, bool down);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

  // What the control's own source answered last.
  HRESULT LastAnswer = S_OK;

private:
  ScriptedDropSource() = default;
  virtual ~ScriptedDropSource() = default;
  LONG FRefCount = 1;
  ComPtr<IDropSource> FReal;
  int FButton = VK_LBUTTON;
  std::vector<Step> FSteps;
  bool FHoldAtEnd = false;
  size_t FIndex = 0;
  bool FArrived = false;
  DWORD FSince = 0;
};

} // namespace zortest
