// A push button of a link page (the default-value button, say): an icon,
// a flat look, an alignment, its text shown or not, and colours for the
// active and inactive states. A click is its clicked() signal.
#pragma once

#include <QColor>
#include <QPushButton>

class CAppCtrlButton : public QPushButton {
  Q_OBJECT

public:
  enum EN_ALIGN { ALIGN_LEFT = 0, ALIGN_CENTER = 1, ALIGN_RIGHT = 2 };

  explicit CAppCtrlButton(QWidget* parent = nullptr);

  unsigned GetCtrlId() const;

  void SetIcon(const QIcon& icon) { setIcon(icon); }
  void SetFlat(int flat) { setFlat(flat != 0); }
  void SetAlign(EN_ALIGN align);
  // Hides the text (the icon alone shows) or shows it again.
  void SetShowText(int show);
  // Text colours while enabled (active) and disabled (inactive).
  void SetActiveColor(const QColor& color);
  void SetInactiveColor(const QColor& color);
  // The caption, also while it is hidden.
  void SetCaption(const QString& text);
  QString GetCaption() const { return m_strCaption; }

protected:
  bool event(QEvent* event) override;

private:
  void UpdateStyle();

  QString m_strCaption;
  bool m_bShowText = true;
  EN_ALIGN m_nAlign = ALIGN_CENTER;
};
