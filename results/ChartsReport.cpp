#include "results/ChartsReport.h"

#include "data/DataError.h"
#include "data/DataModule.h"
#include "results/ReportPreview.h"

namespace {

// The report's datasets: the header from the participant the window looked up (whatever record or filter the
// profiles dataset holds by now), the charts from the open score queries.
class LookedUpValues : public Report::ReportValues
{
public:
    LookedUpValues(TData& data, const ParticipantHeader& participant) : m_data(data), m_participant(participant)
    {
    }

    QString fieldText(const QString& dataset, const QString& field) const override
    {
        if (dataset != QLatin1String("tbProfiles"))
            throw DataError(QStringLiteral("The report has no dataset named \"%1\"").arg(dataset));
        if (field == QLatin1String("FileNo"))
            return QString::number(m_participant.fileNo);
        if (field == QLatin1String("Date"))
            return m_participant.date;
        if (field == QLatin1String("FullName"))
            return m_participant.fullName;
        if (field == QLatin1String("Age"))
            return QString::number(m_participant.age);
        if (field == QLatin1String("GradeText"))
            return m_participant.gradeText;
        throw DataError(QStringLiteral("The report's header has no field \"%1\"").arg(field));
    }

    std::vector<Report::Bar> chartRows(const QString& dataset, const QString& labelField,
                                       const QString& valueField) const override
    {
        QueryDataSet& query = queryNamed(dataset);
        if (!query.isActive())
            throw DataError(QStringLiteral("Cannot prepare the report: \"%1\" is not open").arg(dataset));
        std::vector<Report::Bar> bars;
        for (query.first(); !query.eof(); query.next())
            bars.push_back({query.fieldByName(labelField).asString(), query.fieldByName(valueField).asFloat()});
        query.last();
        return bars;
    }

private:
    QueryDataSet& queryNamed(const QString& dataset) const
    {
        if (dataset == QLatin1String("qTest1"))
            return m_data.qTest1;
        if (dataset == QLatin1String("qTest2"))
            return m_data.qTest2;
        throw DataError(QStringLiteral("The report has no dataset named \"%1\"").arg(dataset));
    }

    TData& m_data;
    const ParticipantHeader& m_participant;
};

} // namespace

ChartsReport::ChartsReport(QObject* parent) : QObject(parent), m_definition(Report::chartsReportDefinition())
{
    setObjectName(QStringLiteral("frTest1"));
}

void ChartsReport::PrepareReport(TData& data, const ParticipantHeader& participant)
{
    m_prepared = {};
    m_prepared = Report::prepare(m_definition, LookedUpValues(data, participant));
}

void ChartsReport::ShowPreparedReport(QWidget* parent)
{
    TfrmPreview preview(m_prepared, parent);
    preview.exec();
}
