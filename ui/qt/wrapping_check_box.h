// A check box whose caption wraps onto further lines when it is wider than
// the box, as Windows check boxes do; QCheckBox would cut it off. The box and
// the caption are centred vertically, and a click anywhere on it toggles it.
#pragma once

#include <QCheckBox>

namespace bt {

class WrappingCheckBox final : public QCheckBox {
 public:
  explicit WrappingCheckBox(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override;
};

}  // namespace bt
