#pragma once
// The faces a window's captions are drawn with. Han characters take different forms in Simplified
// and Traditional Chinese, Japanese and Korean, and a CJK face carries one of them; left to itself
// the toolkit picks the face of the system's own language. A language folder that says which
// language its captions are in gets a matching face first.

#include <QStringList>

class QWidget;

namespace orvix {

// The installed faces that draw the locale's Han characters in its own forms, best first; empty for
// a locale without such forms, an unknown one, or none.
QStringList preferredCaptionFaces(const QString& locale);

// Gives the window and every widget and menu it owns `faces` ahead of the application's own face, so
// the captions are drawn in the first of `faces`, as a desktop in that language draws them. No faces
// restores the application's own families, and leaves a window that was never given any as it is.
void preferCaptionFaces(QWidget* window, const QStringList& faces);

}  // namespace orvix
