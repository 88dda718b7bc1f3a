#pragma once
// The path box: a single-line edit box that offers, while the user types, the folders completing the typed
// text: the folders under the typed parent whose names start with the typed last part, in any letter case
// (drive and UNC paths, and Unix paths under Wine). The parent is read on a thread of its own and kept for
// the next keystrokes, so a keystroke never waits for a folder; at most MaxOffers are shown.
//
// With the offers shown, Down and Up move through them (the box takes each as it goes), Tab takes the
// highlighted one (the first when none is) and offers what is inside it, and a click does the same. Enter
// and Escape close them and go on to the box's own handling. The platform's own completion is not used:
// under Wine it offers nothing (SHAutoComplete is a stub there).
#include <memory>
#include <string>
#include <vector>

#include "app/FolderNameReader.h"
#include "app/OfferDropDown.h"
#include "toolkit/Edit.h"

class TPathTextBox : public TEdit {
public:
  static constexpr size_t MaxOffers = 200;

  explicit TPathTextBox(TComponent *AOwner);
  ~TPathTextBox() override;

  // Whether hidden folders are offered (the window's "Show Hidden Items").
  void SetOfferHidden(bool value) { FOfferHidden = value; }
  // The offers, in the order shown; empty while none are shown.
  const std::vector<std::string> &Offers() const { return FOffers; }
  bool OffersShown() const { return FDropDown.Shown(); }
  void CloseOffers();

protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage &message) override;
  void KeyDown(WORD &key, TShiftState shift) override;
  void KeyPress(wchar_t &key) override;
  // Tab too while offers are shown.
  bool WantSpecialKey(WORD key, TShiftState shift) override;
  // Folders read before are read again once the user comes back: they may have changed meanwhile.
  void DoEnter() override;
  void DoExit() override;
  // Text the program sets (another tab's folder) closes the offers made for what was typed.
  void TextChanged() override;
  // A new font (another resolution) closes the offers.
  void FontChanged() override;

private:
  // Posted by the reader when a listing is ready.
  static constexpr UINT WM_FOLDERREAD = WM_APP + 20;

  // The offers for the text as it is now: at once from the folder read last, or once its parent is read.
  void UpdateOffers();
  void ListingArrived();
  void ShowDropDown();
  void MoveHighlight(int step);
  void TakeOffer(int index);
  // Sets the text as the program, not the user, writes it (no offers follow), the caret at its end.
  void SetOwnText(const std::string &text);
  // The Windows form of a typed parent folder ("" when none can be read).
  std::wstring FolderOfParent(const std::string &parent);

  std::unique_ptr<TFolderNameReader> FReader;
  TFolderListing FListing;
  bool FListed = false;
  // The folder asked of the reader and not yet arrived.
  std::wstring FRequested;
  // The last parent text and its Windows form (a Unix path costs Wine a lookup).
  std::string FParentText;
  std::wstring FParentFolder;
  std::vector<std::string> FOffers;
  TOfferDropDown FDropDown{FOffers};
  // Above zero while the user's own edit of the text is handled.
  int FUserEdit = 0;
  bool FOwnText = false;
  bool FOfferHidden = true;
};
