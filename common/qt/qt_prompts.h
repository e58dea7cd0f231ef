#pragma once
// common::Prompts on screen: message boxes with QMessageBox, file dialogs with QFileDialog. Header
// only, so that both GUI programs take it without a shared library between them.
#include "common/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

namespace common {

// "IRD Files (*.ird)|*.ird|All Files (*.*)|*.*||" becomes "IRD Files (*.ird)" and "All Files (*)".
// Qt takes the patterns from the parentheses of each name, so the pattern half of every pair is
// what goes in the parentheses; "*.*" means every file here, dot or not.
inline QStringList qt_name_filters(const std::string& classic)
{
    QStringList parts = QString::fromStdString(classic).split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        if (name.isEmpty() && patterns.isEmpty())
            break;
        QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : list) {
            p = p.trimmed();
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        int paren = name.indexOf(QLatin1Char('('));
        if (paren >= 0)
            name = name.left(paren).trimmed();
        out << QStringLiteral("%1 (%2)").arg(name, list.join(QLatin1Char(' ')));
    }
    if (out.isEmpty())
        out << QStringLiteral("All Files (*)");
    return out;
}

// The folder each kind of file dialog last used, kept in the user's settings so that the next
// dialog of that kind opens there, in this run and the next.
class FileDialogFolders
{
public:
    static QString key(const FileDialogSpec& dialog)
    {
        return QStringLiteral("FileDialogs/") + QString::fromStdString(file_dialog_kind(dialog));
    }
    // "" when none was used yet, or it is gone.
    static QString folder_for(const FileDialogSpec& dialog)
    {
        const QString folder = QSettings().value(key(dialog)).toString();
        return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
    }
    static void remember(const FileDialogSpec& dialog, const QString& chosen_file)
    {
        QSettings().setValue(key(dialog), QFileInfo(chosen_file).absolutePath());
    }
};

class QtPrompts : public Prompts
{
public:
    explicit QtPrompts(QWidget* parent = nullptr, QString title = QStringLiteral("Korvid"))
        : m_parent(parent)
        , m_title(std::move(title))
    {}

    void set_parent(QWidget* parent) { m_parent = parent; }

    void info(const std::string& text) override { message(Icon::Information, text); }
    void message(Icon icon, const std::string& text) override
    {
        const QString t = QString::fromLocal8Bit(text.c_str());
        switch (icon) {
        case Icon::Warning:
            QMessageBox::warning(parent(), m_title, t);
            break;
        case Icon::Error:
            QMessageBox::critical(parent(), m_title, t);
            break;
        case Icon::Question:
            QMessageBox(QMessageBox::Question, m_title, t, QMessageBox::Ok, parent()).exec();
            break;
        default:
            QMessageBox::information(parent(), m_title, t);
            break;
        }
    }
    void message(const std::string& text, const std::string& caption) override
    {
        QMessageBox::information(parent(), QString::fromStdString(caption),
                                 QString::fromLocal8Bit(text.c_str()));
    }
    bool ask_yes_no(const std::string& text) override
    {
        return QMessageBox::question(parent(), m_title, QString::fromLocal8Bit(text.c_str()),
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes) == QMessageBox::Yes;
    }
    bool ask_yes_no_default_no(const std::string& text) override
    {
        return QMessageBox::question(parent(), m_title, QString::fromLocal8Bit(text.c_str()),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    }
    int
    ask_choice(const std::string& text, const std::vector<std::string>& buttons, int default_button) override
    {
        QMessageBox box(QMessageBox::Question, m_title, QString::fromLocal8Bit(text.c_str()),
                        QMessageBox::NoButton, parent());
        std::vector<QPushButton*> made;
        for (const std::string& b : buttons)
            made.push_back(box.addButton(QString::fromLocal8Bit(b.c_str()), QMessageBox::AcceptRole));
        if (default_button >= 0 && size_t(default_button) < made.size())
            box.setDefaultButton(made[size_t(default_button)]);
        box.exec();
        for (size_t i = 0; i < made.size(); ++i)
            if (box.clickedButton() == made[i])
                return int(i);
        return -1;
    }
    Answer ask_yes_no_cancel(const std::string& text) override
    {
        auto r =
            QMessageBox::question(parent(), m_title, QString::fromLocal8Bit(text.c_str()),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (r == QMessageBox::Yes)
            return Answer::Yes;
        if (r == QMessageBox::No)
            return Answer::No;
        return Answer::Cancel;
    }
    std::optional<std::string> open_file(const FileDialogSpec& dialog) override { return run(dialog, false); }
    std::optional<std::string> save_file(const FileDialogSpec& dialog) override { return run(dialog, true); }
    void set_busy(bool busy) override
    {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }

private:
    QWidget* parent() const { return m_parent ? m_parent.data() : QApplication::activeWindow(); }

    std::optional<std::string> run(const FileDialogSpec& dialog_spec, bool saving)
    {
        QFileDialog dlg(parent(), saving ? QStringLiteral("Save As") : QStringLiteral("Open"));
        dlg.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dlg.setNameFilters(qt_name_filters(dialog_spec.filter));
        QString ext = QString::fromStdString(dialog_spec.default_extension);
        if (ext.startsWith(QLatin1Char('.')))
            ext.remove(0, 1);
        if (!ext.isEmpty())
            dlg.setDefaultSuffix(ext);
        dlg.setOption(QFileDialog::DontConfirmOverwrite, !dialog_spec.prompt_overwrite);
        const QString initial = QString::fromStdString(dialog_spec.initial_name);
        const QString folder = FileDialogFolders::folder_for(dialog_spec);
        // A name with its own folder (Save As of an open file) opens there; otherwise the folder
        // this kind of file was last taken from or put in.
        if (!folder.isEmpty() && (initial.isEmpty() || QFileInfo(initial).fileName() == initial))
            dlg.setDirectory(folder);
        if (!initial.isEmpty())
            dlg.selectFile(initial);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dlg.selectedFiles().first();
        FileDialogFolders::remember(dialog_spec, chosen);
        return chosen.toStdString();
    }

    QPointer<QWidget> m_parent;
    QString m_title;
};

} // namespace common
