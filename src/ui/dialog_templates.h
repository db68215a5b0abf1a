#pragma once
// The dialog templates of the module's resources as data, for the views that
// build their windows themselves: the controls in template order (the order
// of the tab stops), their Big5 texts, and positions and sizes in dialog
// units, which a view scales by its font as Windows does.
#include <span>

namespace korvaden {

enum class ControlKind { PushButton, DrawnButton, Label, Edit, Picture, Frame };
enum class TextAlign { Left, Center, Right };

struct DialogUnits {
  int x, y, width, height;
};

struct ControlTemplate {
  int id;  // -1 for a label nobody changes
  ControlKind kind;
  const char* text;
  DialogUnits place;
  TextAlign align;
  bool visible;
  bool tabStop;
  bool notify;  // a picture that tells of clicks
  bool sunken;  // drawn with a sunken edge
  bool multiline;
};

struct DialogTemplate {
  int id;
  int width, height;  // dialog units
  const char* caption;
  bool titled;  // a title bar, or a bare pop-up
  int fontPoints;
  const char* fontFace;
  std::span<const ControlTemplate> controls;
};

const DialogTemplate* FindDialogTemplate(int id);
// A string of the string table; empty when there is none.
const char* FindStringResource(int id);

}  // namespace korvaden
