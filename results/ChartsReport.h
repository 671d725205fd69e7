#pragma once

#include "results/ParticipantHeader.h"
#include "results/ReportModel.h"

#include <QObject>
#include <QString>

class QWidget;
class TData;

// The results window's charts report (frTest1): the definition built once, pages prepared anew at each request
// from the score queries and the participant the window looked up, and the modal preview they are printed from.
class ChartsReport : public QObject
{
    Q_OBJECT

public:
    explicit ChartsReport(QObject* parent = nullptr);

    const Report::ReportDefinition& definition() const { return m_definition; }

    // Discards the pages prepared before and prepares them again: the header shows `participant`, the charts the
    // rows of the data module's qTest1 and qTest2, first to last (their cursors end on the last row). Throws
    // DataError when a query cannot be read; no pages are then left.
    void PrepareReport(TData& data, const ParticipantHeader& participant);
    bool isPrepared() const { return !m_prepared.pages.empty(); }
    const Report::PreparedReport& preparedReport() const { return m_prepared; }

    // The prepared pages in the modal preview; returns when it is closed.
    void ShowPreparedReport(QWidget* parent);

private:
    Report::ReportDefinition m_definition;
    Report::PreparedReport m_prepared;
};
