#pragma once
// The drop-down under the path box that shows the offered folders: a pop-up that never takes the focus or
// the activation from the box (the user goes on typing), holding a list box that keeps no texts of its own.
// Its rows are drawn from the offers when shown, so that showing hundreds of offers costs no more than
// showing one.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class TOfferDropDown {
public:
  // offers: the texts of the rows, owned by the caller and read whenever a row is drawn.
  explicit TOfferDropDown(const std::vector<std::string> &offers) : FOffers(offers) {}
  ~TOfferDropDown();
  TOfferDropDown(const TOfferDropDown &) = delete;
  TOfferDropDown &operator=(const TOfferDropDown &) = delete;

  // Shows the offers' rows under the screen rectangle below (as wide as it, at most visibleRows high), over
  // the top-level window owner; the window is made on first use with font, its margins scaled to ppi (dots
  // per inch). A font of another resolution needs the window destroyed first.
  void Show(HWND owner, HFONT font, int ppi, const RECT &below, int visibleRows);
  void Hide();
  // The window goes (it is made again when next shown).
  void Destroy();
  bool Shown() const { return FWindow && IsWindowVisible(FWindow); }
  // The highlighted row, -1 for none.
  int Highlighted() const;
  void Highlight(int row);
  HWND Handle() const { return FWindow; }

  // A row was clicked.
  std::function<void(int row)> OnTake;

private:
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ListProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
  bool Create(HWND owner, HFONT font, int ppi);
  void DrawRow(const DRAWITEMSTRUCT &item) const;

  const std::vector<std::string> &FOffers;
  HWND FWindow = nullptr;
  HWND FList = nullptr;
  HFONT FFont = nullptr;
  int FRowHeight = 16;
  // Room left of a row's text.
  int FTextLeft = 2;
  // Where the window was last shown, in screen coordinates.
  RECT FPlace = {};
};
