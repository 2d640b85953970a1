#pragma once
// What a memo shows once it is shown: a caption catalogue of millions of lines costs nothing at
// start while nobody looks at it.

#include <QObject>
#include <optional>
#include <string>

class QPlainTextEdit;

namespace orvix {

class DeferredMemoText : public QObject {
public:
    explicit DeferredMemoText(QPlainTextEdit* memo);

    // The memo's text: at once while it is shown, else when it is next shown.
    void set(std::string text);
    // The memo gets other text: what waited is no longer wanted.
    void drop() { pending_.reset(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* memo_;
    std::optional<std::string> pending_;
};

}  // namespace orvix
