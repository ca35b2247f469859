#pragma once
// Help › "User Guide": the guide that ships inside the program, shown as Markdown. A window of
// its own, not modal, so that it can stay open beside the main window.

#include <QDialog>

#include <memory>

class QTextBrowser;

namespace Ui {
class UserGuideDialog;
}

namespace z2e {

class UserGuideDialog : public QDialog {
    Q_OBJECT

public:
    /// Where the guide and its pictures are compiled in; its tools follow it.
    static constexpr const char* kGuidePath = ":/user_guide/user-guide.md";
    static constexpr const char* kToolsPath = ":/user_guide/tools.md";

    /// Shows the guide of `parent`'s window, made on first use and raised again afterwards.
    static UserGuideDialog* showFor(QWidget* parent);

    explicit UserGuideDialog(QWidget* parent);
    ~UserGuideDialog() override;

    QTextBrowser* browser() const;

private:
    std::unique_ptr<Ui::UserGuideDialog> m_ui;
};

} // namespace z2e
