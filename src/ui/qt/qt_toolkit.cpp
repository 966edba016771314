// Qt's dialogs behind the toolkit.
#include "ui/qt/qt_toolkit.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace zorvan::qt {

namespace {

QString FromText(const std::string& text) { return QString::fromStdString(text); }

std::string ToText(const QString& text) { return text.toStdString(); }

// "DXF |*.DXF" as a Qt name filter; the pattern matches in any case, so drawings named ".dxf" show too.
QString NameFilter(const std::string& filter) {
    const size_t bar = filter.find('|');
    if (bar == std::string::npos) return FromText(filter);
    const QString pattern = FromText(filter.substr(bar + 1));
    return FromText(filter.substr(0, bar)).trimmed() + " (" + pattern + " " + pattern.toLower() + ")";
}

}  // namespace

void QtToolkit::ShowMessage(const std::string& text) {
    QMessageBox::information(parent_, QApplication::applicationName(), FromText(text), QMessageBox::Ok);
}

bool QtToolkit::AskYesNo(const std::string& text, const std::string& title) {
    return QMessageBox::question(parent_, FromText(title), FromText(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

SaveChoice QtToolkit::AskSaveDiscardCancel(const std::string& text, const std::string& title,
                                           const std::string& saveCaption) {
    QMessageBox box(QMessageBox::Question, FromText(title), FromText(text), QMessageBox::NoButton, parent_);
    QPushButton* save = box.addButton(FromText(saveCaption), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton("Discard", QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(save);
    box.exec();
    if (box.clickedButton() == save) return SaveChoice::Save;
    if (box.clickedButton() == discard) return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

std::optional<std::string> QtToolkit::ChooseFileToOpen(const std::string& filter) {
    const QString path = QFileDialog::getOpenFileName(parent_, "Choose a drawing", QString(), NameFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return ToText(path);
}

std::optional<std::string> QtToolkit::ChooseFolder(const std::string& title, const std::string& start) {
    const QString path = QFileDialog::getExistingDirectory(parent_, QString::fromStdString(title), QString::fromStdString(start));
    if (path.isEmpty()) return std::nullopt;
    return ToText(path);
}

std::optional<std::string> QtToolkit::ChooseFileToSave(const std::string& proposedName) {
    const QString path = QFileDialog::getSaveFileName(parent_, "Save", FromText(proposedName));
    if (path.isEmpty()) return std::nullopt;
    return ToText(path);
}

void QtToolkit::Beep() { QApplication::beep(); }

void QtToolkit::SetBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void QtToolkit::ShowModal(ModalWindow window) {
    if (openWindow) openWindow(window);
}

}  // namespace zorvan::qt
