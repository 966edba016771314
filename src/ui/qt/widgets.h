// Small helpers shared by the windows: controls named after the form's controls, and list boxes kept equal
// to the form's rows.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <string>
#include <vector>

#include "ui/list_box.h"

namespace zorvan::qt {

inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
inline std::string S(const QString& text) { return text.toStdString(); }

template <typename Widget, typename... Args>
Widget* Named(const char* name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(name);
    return widget;
}

inline QPushButton* Button(const char* name, const char* caption) { return Named<QPushButton>(name, caption); }

// A list widget showing a ListBox. Rows are rebuilt only when they changed, so a list of many thousand
// records is not refilled by every command.
class ListSync {
public:
    explicit ListSync(QListWidget* widget) : widget_(widget) { widget_->setUniformItemSizes(true); }

    QListWidget* widget() const { return widget_; }

    void Push(const ListBox& list) {
        const QSignalBlocker block(widget_);
        if (list.rows != shown_) {
            widget_->clear();
            QStringList rows;
            rows.reserve(static_cast<qsizetype>(list.rows.size()));
            for (const std::string& row : list.rows) rows.append(Q(row));
            widget_->addItems(rows);
            shown_ = list.rows;
        }
        widget_->setCurrentRow(list.selected);
    }

    void Pull(ListBox& list) const { list.selected = widget_->currentRow(); }

private:
    QListWidget* widget_;
    std::vector<std::string> shown_;
};

// `text` with CR LF line ends turned into the line feeds of a text box, and back.
inline QString FromCrLf(const std::string& text) { return Q(text).replace("\r\n", "\n"); }
inline std::string ToCrLf(const QString& text) { return S(QString(text).replace("\n", "\r\n")); }

}  // namespace zorvan::qt
