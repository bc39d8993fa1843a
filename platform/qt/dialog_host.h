#pragma once
#include "layer_private.h"
// The window of a dialog: its widget, its child controls, its font and its
// default message processing. Platform layer only; user-interface thread only.

#include <memory>
#include <vector>

#include "dialog_template.h"
#include "window_object.h"

class CDialogBase;
class CDialogWidget;
struct CQtFont;

class CDialogHost final : public CWindowObject {
 public:
  static constexpr WindowKind kKind = WindowKind::Dialog;

  CDialogHost(CDialogBase* owner, const DialogTemplate& dialog);
  ~CDialogHost() override;

  // False when a control of the template cannot be made.
  bool CreateControls(const DialogTemplate& dialog);
  CWindowObject* Control(int id) const;

  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The dialog's procedure: the message map first, then the defaults.
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  // WM_DESTROY to the map, then the handles go and the widget follows.
  BOOL Destroy();

  void SetIcon(WPARAM which, HICON icon);

 private:
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);
  void CloseOwnedBoxes();

  CDialogBase* m_owner;
  CDialogWidget* m_dialogWidget;
  std::vector<std::unique_ptr<CWindowObject>> m_controls;
  // The template's font, WM_GETFONT's answer; null when it names none.
  std::unique_ptr<CQtFont> m_font;
  HICON m_bigIcon = nullptr;
  HICON m_smallIcon = nullptr;
  bool m_bDestroying = false;
};
