#include "platform/printcanvas.h"

// ---- RecordingCanvas --------------------------------------------------------

RecordingCanvas::RecordingCanvas(int dpi, QSize pageSize) : dpi_(dpi), pageSize_(pageSize) {
  if (!pageSize_.isValid())
    pageSize_ = QSize(Inches(827, 100).At(dpi), Inches(1169, 100).At(dpi));
}

void RecordingCanvas::SetFont(const QString& name, int pointSize) {
  font_ = name;
  size_ = pointSize;
  steps_.append({Kind::Font, static_cast<int>(fonts_.size())});
  fonts_.append({name, pointSize});
}

void RecordingCanvas::TextOut(int x, int y, const QString& text) {
  steps_.append({Kind::Text, static_cast<int>(texts_.size())});
  texts_.append({page_, x, y, text, font_, size_});
}

void RecordingCanvas::Line(int x1, int y1, int x2, int y2) {
  steps_.append({Kind::Line, static_cast<int>(lines_.size())});
  lines_.append({page_, x1, y1, x2, y2});
}

void RecordingCanvas::NewPage() {
  steps_.append({Kind::Page, page_});
  ++page_;
}

namespace {
template <typename Drawn>
QList<Drawn> OnPage(const QList<Drawn>& drawn, int page) {
  QList<Drawn> found;
  for (const Drawn& d : drawn)
    if (d.page == page) found.append(d);
  return found;
}
}  // namespace

QList<DrawnText> RecordingCanvas::TextsOnPage(int page) const { return OnPage(texts_, page); }

QList<DrawnLine> RecordingCanvas::LinesOnPage(int page) const { return OnPage(lines_, page); }

QList<DrawnText> RecordingCanvas::Find(const QString& text) const {
  QList<DrawnText> found;
  for (const DrawnText& t : texts_)
    if (t.text == text) found.append(t);
  return found;
}

void RecordingCanvas::Replay(Canvas& target) const {
  for (const Step& step : steps_) {
    switch (step.kind) {
      case Kind::Font: {
        const auto& [name, size] = fonts_.at(step.index);
        target.SetFont(name, size);
        break;
      }
      case Kind::Text: {
        const DrawnText& t = texts_.at(step.index);
        target.TextOut(t.x, t.y, t.text);
        break;
      }
      case Kind::Line: {
        const DrawnLine& l = lines_.at(step.index);
        target.Line(l.x1, l.y1, l.x2, l.y2);
        break;
      }
      case Kind::Page: target.NewPage(); break;
    }
  }
}
