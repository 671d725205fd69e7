#pragma once

#include "tests/support/TempRavlenDb.h"

#include <QString>
#include <QVariant>

#include <memory>

class QWidget;
class TData;
class TfrmNewTest;
class HostWindow;

// The test window on a fresh database file, the way the Test command opens it: a main window behind it, the data
// module connected to Ravlen.mdb in the working folder (the file's folder), the window shown at the idle height.
// Also the few ways a suite reaches into the window and the file.
class NewTestFixture
{
public:
    NewTestFixture();
    ~NewTestFixture();

    // Shows the window as the Test command does (without the modal loop) and makes it active.
    bool open();

    TfrmNewTest* window() const { return m_window.get(); }
    TData& data() const { return *m_data; }
    const TempRavlenDb& db() const { return m_db; }

    template <typename T> T* find(const char* name) const;

    // Every value of the first column of `sql` run on a connection of its own (what another program sees). A query
    // the database refuses fails the running test (these and contents() alike).
    QVariantList column(const QString& sql) const;
    QVariant value(const QString& sql) const { return column(sql).value(0); }
    // Every column of the first row of `sql`, on a connection of its own.
    QVariantList firstRow(const QString& sql) const;
    // The tables and every profile: equal before and after means nothing was written.
    QString contents() const;

private:
    QWidget* findWidget(const char* name) const;

    TempRavlenDb m_db;
    QString m_previousFolder;
    std::unique_ptr<HostWindow> m_host;
    std::unique_ptr<TData> m_data;
    std::unique_ptr<TfrmNewTest> m_window;
};

template <typename T> T* NewTestFixture::find(const char* name) const
{
    return qobject_cast<T*>(findWidget(name));
}

// What a grabbed message must show: its text in dark ink, and its shield in the colour family `shield` ("amber",
// "blue", ...) at the right. Empty when it does, otherwise what is wrong.
QString messagePictureFault(QWidget* message, const QString& shield);

// Typing as the keyboard does, Persian letters included (QTest::keyClicks cannot type them).
void typeText(QWidget* widget, const QString& text);
// Replaces what a box holds by typing `text` into it.
void retype(QWidget* box, const QString& text);
// Tab out of the focused box.
void pressTab(QWidget* widget);
// A left click in the middle of a button, as the operator does it.
void clickButton(QWidget* button);
