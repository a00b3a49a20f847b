// What the overlay draws over a view (line numbers, marks for line ends, tabs and full-width
// spaces, [EOF], the caret rule), planned from the text copy and a few answers of the view.
#pragma once

#include <string_view>
#include <vector>

// Gutter geometry, in pixels from the view's left client edge.
inline constexpr int kNumberBoxRight = 48;
inline constexpr int kSeparatorX = 52;

// Starts of the logical lines of a text: CR, LF and CR LF each end one line. Built once per text.
struct LineStarts {
  std::vector<int> starts;  // starts[0] == 0, increasing
};
// Scans up to the first NUL (or the end of the view).
LineStarts BuildLineStarts(std::u16string_view text);
// The 0-based logical line that holds index.
int LogicalLineAt(const LineStarts& lines, int index);

// A character's position as the control packs it: both halves unsigned 16-bit, so a row above
// the client area reads as a large y.
struct ViewPoint {
  int x = 0;
  int y = 0;
};

// The questions the plan asks of the view it draws over. Rows are the control's visual lines.
class OverlayView {
 public:
  virtual int FirstVisibleRow() = 0;
  virtual int RowStart(int row) = 0;  // first character position of row, -1 past the last row
  virtual int RowCount() = 0;
  virtual int TextLength() = 0;  // the window text length
  virtual ViewPoint PosFromChar(int position) = 0;
  virtual int SelectionEnd() = 0;

 protected:
  ~OverlayView() = default;
};

struct OverlayGeometry {
  int lineHeight = 0;  // H, from the font size; nothing is planned unless it is positive
  int clientRight = 0;
  int clientBottom = 0;
  bool numbers = false;  // line numbers and separator
};

enum class OverlayMarkKind { LineNumber, LineEnd, Tab, WideSpace, EndOfText };

struct OverlayMark {
  OverlayMarkKind kind = OverlayMarkKind::LineEnd;
  int x = 0;       // the character's position; for a number the box is 0..kNumberBoxRight
  int y = 0;       // for a number: top of its box
  int nextX = 0;   // WideSpace: x of the following character
  int bottom = 0;  // LineNumber: bottom of its box
  int number = 0;  // LineNumber: 1-based logical line
  friend bool operator==(const OverlayMark&, const OverlayMark&) = default;
};

struct OverlayPlan {
  std::vector<OverlayMark> marks;  // in drawing order
  bool separator = false;          // at kSeparatorX, from 0 to the client bottom
  bool caretRule = false;
  int caretRuleY = 0;  // from x = 0 to the client's right edge
  friend bool operator==(const OverlayPlan&, const OverlayPlan&) = default;
};

// text is the view's raw text, one code unit per character position, ended by a NUL; the scan
// never reads past that NUL. The view is asked for the first visible row, three row starts and
// the positions of what is drawn only.
OverlayPlan PlanOverlay(std::u16string_view text, const LineStarts& lines, OverlayView& view,
                        const OverlayGeometry& geometry);

// The strokes of one mark with line height H: polylines drawn from point to point, each stopping
// short of its last point, with the solid pen unless dotted.
struct MarkStroke {
  bool dotted = false;
  std::vector<ViewPoint> points;
};
std::vector<MarkStroke> MarkStrokes(const OverlayMark& mark, int lineHeight);
