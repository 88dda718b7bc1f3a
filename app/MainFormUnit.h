#pragma once
// Unit MainFormUnit: the main window of the file manager, TFormMainExplorer.
#include <cstdint>
#include <string>

#include "toolkit/Edit.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/MainMenu.h"
#include "toolkit/Panel.h"
#include "toolkit/PopupMenu.h"

// The application's title, set when the main window is first shown (and cleared at the program's end).
extern std::string AppTitle;

class TFormMainExplorer : public TForm {
public:
  explicit TFormMainExplorer(TComponent *AOwner);
  ~TFormMainExplorer() override;

  // Window property on the main window that holds InstanceNumber, so that another process (a test) can
  // tell the copies apart; nothing on screen shows the number.
  static constexpr const char *InstanceNumberProperty = "ZorExplorer.InstanceNumber";

  TPanel *PanelMain;
  TPanel *MiddlePanel;
  TEdit *PathTextBox;
  TPanel *Panel1;
  TLabel *Label1;
  TLabel *StatusBarLabel;
  TPopupMenu *ListPopup;
  TMenuItem *Paste2Mitm;
  TMenuItem *N6;
  TMenuItem *NewFolder1;
  TMenuItem *NewTextFile1;
  TMenuItem *N7;
  TMenuItem *Properties1Mitm;
  TPopupMenu *TabPopup;
  TMenuItem *New1;
  TMenuItem *DuplicateTab1;
  TMenuItem *DeleteTab1;
  TMenuItem *N1;
  TMenuItem *ParentFolder1;
  TMainMenu *MainMenu1;
  TMenuItem *File1;
  TMenuItem *Exit1;

  int InstanceNumber() const { return FInstanceNumber; }
  void SetInstanceNumber(int value);

  void FormCreate(TObject *Sender);
  void FormShow(TObject *Sender);
  void PathTextBoxClick(TObject *Sender);
  void Exit1Click(TObject *Sender);

  // Rewrites the status line for the drive of path: label, letter and free space; cleared for a path that
  // does not start with a drive letter (virtual folders, UNC paths).
  void UpdateStatusBar(const std::string &path);
  // Bytes as the status line shows them: "0 B", "1.50 KB", "1024.00 MB", "5.00 GB".
  static std::string FormatSize(int64_t bytes);
  // The volume label of a drive, empty when it cannot be read.
  static std::string BGetVolumeInfo(char letter);

protected:
  void CreateParams(TCreateParams &params) override;
  void CreateWnd() override;
  void DestroyWnd() override;

private:
  TMenuItem *NewItem(TMenuItem *parent, const std::string &name, const std::string &caption);
  void PublishInstanceNumber();

  int FInstanceNumber = 0;
};
