// The overlay plan against a model view: over any text, wrap width, scroll position, row height
// and client size, the plan draws what the plain per-character scan draws.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "overlay_model.h"
#include "view/overlay.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  static const char16_t kAlphabet[] = {u'a', u'b', u'\t', 0x3000, u'\r', u'\n', u'\r', u' '};
  std::u16string text = ConsumeText(input, 300, kAlphabet);
  for (char16_t& c : text) c = c == 0 ? u'a' : c;  // the control's text holds no NUL
  const int width = input.ConsumeIntegralInRange<int>(0, 12);
  reference::ModelView probe(text, width, 0);
  const int rows = probe.RowCount();
  const int top = input.ConsumeIntegralInRange<int>(0, rows - 1);
  const int rowHeight = input.ConsumeIntegralInRange<int>(1, 40);
  const int offset = input.ConsumeIntegralInRange<int>(0, rowHeight - 1);
  OverlayGeometry geometry;
  geometry.lineHeight = input.ConsumeIntegralInRange<int>(-2, 40);
  geometry.clientRight = input.ConsumeIntegralInRange<int>(0, 2000);
  geometry.clientBottom = input.ConsumeIntegralInRange<int>(0, 2000);
  geometry.numbers = input.ConsumeBool();
  const int selectionEnd = input.ConsumeIntegralInRange<int>(0, static_cast<int>(text.size()));

  reference::ModelView view(text, width, top, rowHeight, offset), plain(text, width, top, rowHeight, offset);
  view.selectionEnd = plain.selectionEnd = selectionEnd;
  const std::u16string copy = view.Copy();
  const LineStarts lines = BuildLineStarts(copy);
  FUZZ_CHECK(PlanOverlay(copy, lines, view, geometry) == reference::ReferencePlan(copy, plain, geometry));

  // Each position's logical line counts the line ends before it.
  int line = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    FUZZ_CHECK(LogicalLineAt(lines, static_cast<int>(i)) == line);
    const bool pairLf = i > 0 && i < text.size() && text[i] == u'\n' && text[i - 1] == u'\r';
    if (i < text.size() && (text[i] == u'\r' || (text[i] == u'\n' && !pairLf))) ++line;
  }
  return 0;
}
