#pragma once
// Where the skin puts things, in window pixels. The window has no frame, so
// these are also client coordinates. The skin generator draws the artwork
// around them and the program paints and hit-tests by them, so both take
// them from here; plain numbers, for code on either side of the Qt line.

namespace skin {

struct Point {
  int x;
  int y;
};

// As a RECT: right and bottom are one past the last pixel inside.
struct Box {
  int left;
  int top;
  int right;
  int bottom;
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
};

struct Colour {
  unsigned char red;
  unsigned char green;
  unsigned char blue;
};

// Cut out of the window's shape wherever the face has it.
constexpr Colour kKeyColour{255, 0, 255};
constexpr Colour kStatusTextColour{80, 168, 209};

// The face, bitmap 203, and its outline: rows above the first and below the
// last shape row are all key colour; the widest row spans these columns.
constexpr int kFaceWidth = 623;
constexpr int kFaceHeight = 617;
constexpr int kFirstShapeRow = 18;
constexpr int kLastShapeRow = 605;
constexpr int kWidestLeft = 8;
constexpr int kWidestRight = 612;

// The promotional page.
constexpr Box kWebView{53, 113, 570, 500};
// The progress bars' trough, and under it the status line.
constexpr Box kBars{69, 505, 555, 561};
constexpr Box kStatus{165, 563, 458, 589};

// Top-left corners of the minimise and close buttons, each a square cell
// whose hover image is bitmap 207 or 206.
constexpr Point kMinimizeButton{476, 84};
constexpr Point kCloseButton{519, 84};
constexpr int kButtonCell = 25;

// The start strip, bitmaps 208 (plain) and 210 (hover), drawn over the
// trough once the download is over.
constexpr Point kStartStrip{69, 505};
constexpr int kStripWidth = 454;
constexpr int kStripHeight = 56;
// Where the plain and the hover strip differ, in strip pixels.
constexpr Box kStripButtonFace{146, 5, 310, 51};
// The start button's hit rectangle, in window pixels.
constexpr Box kStartHitArea{223, 505, 407, 561};

// The program icon's side, in pixels.
constexpr int kIconSize = 256;

}  // namespace skin
