#pragma once
// The open and save dialogs of the program, behind one seam so that widget tests can answer them.

#include <QString>
#include <QWidget>
#include <functional>

namespace FileDialogs {

struct Request {
    bool save = false;
    QString title;
    QString filter;         // Qt filter text, e.g. "Text Files(*.txt);;ALL Files(*.*)"
    QString defaultSuffix;  // save only
    QString directory;
};

// Empty result: the operator cancelled.
QString ask(QWidget* parent, const Request& request);

// The filter as the dialog gets it: "*.*" becomes "*", since on Linux "*.*" hides every file
// without a dot in its name.
QString dialogFilter(const QString& filter);

// Tests: answer every following request with `answer` instead of showing a dialog.
void setTestAnswer(std::function<QString(const Request&)> answer);

}  // namespace FileDialogs
