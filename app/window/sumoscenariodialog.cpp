#include "window/sumoscenariodialog.h"

#include "export/sumo/sumoscenario.h"
#include "import/scenarioreader.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <cmath>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("SumoScenarioDialog", text);
}

QString clockText(const std::optional<double>& seconds)
{
    if (!seconds)
        return QString();
    const qint64 s = std::llround(*seconds);
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QDoubleSpinBox* spinBox(double value, double maximum, const QString& suffix)
{
    auto* box = new QDoubleSpinBox;
    box->setRange(0.0, maximum);
    box->setDecimals(1);
    box->setSuffix(suffix);
    box->setValue(value);
    return box;
}

}  // namespace

std::optional<CVScenarioSettings> SumoScenarioDialog::ask(QWidget* parent, const CVScenarioSettings& initial)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("sumoScenarioDialog"));
    dialog.setWindowTitle(tr("SUMO scenario"));
    auto* form = new QFormLayout(&dialog);
    auto* start = new QLineEdit(clockText(initial.startTime));
    start->setPlaceholderText(tr("from the demand"));
    auto* duration = new QLineEdit(clockText(initial.duration));
    duration->setPlaceholderText(tr("the demand's period"));
    auto* weight = spinBox(initial.demandWeight.value_or(100.0), 1000.0, QStringLiteral(" %"));
    auto* seed = new QLineEdit(initial.seed ? QString::number(*initial.seed) : QString());
    seed->setPlaceholderText(tr("sumo's"));
    seed->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), seed));
    auto* amber = spinBox(initial.amberTime.value_or(SumoScenario::DefaultAmberTime), 60.0, QStringLiteral(" s"));
    auto* red = spinBox(initial.redTime.value_or(0.0), 60.0, QStringLiteral(" s"));
    // Named as in the model file, for whoever looks a field up.
    start->setObjectName(QStringLiteral("startTime"));
    duration->setObjectName(QStringLiteral("duration"));
    weight->setObjectName(QStringLiteral("demandWeight"));
    seed->setObjectName(QStringLiteral("seed"));
    amber->setObjectName(QStringLiteral("amberTime"));
    red->setObjectName(QStringLiteral("redTime"));
    form->addRow(tr("Start time (hh:mm:ss):"), start);
    form->addRow(tr("Simulated time (hh:mm:ss):"), duration);
    form->addRow(tr("Demand weight:"), weight);
    form->addRow(tr("Seed:"), seed);
    form->addRow(tr("Amber time:"), amber);
    form->addRow(tr("All-red time:"), red);
    if (initial.roadSide)
        form->addRow(tr("Configuration's traffic:"),
                     new QLabel(*initial.roadSide == CVRoadSide::Left ? tr("left-hand") : tr("right-hand")));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    // OK only while the times read as times.
    const auto check = [&] {
        const auto valid = [](const QLineEdit* edit) {
            return edit->text().trimmed().isEmpty() || ScenarioReader::clockSeconds(edit->text().trimmed()).has_value();
        };
        buttons->button(QDialogButtonBox::Ok)->setEnabled(valid(start) && valid(duration));
    };
    QObject::connect(start, &QLineEdit::textChanged, &dialog, check);
    QObject::connect(duration, &QLineEdit::textChanged, &dialog, check);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    CVScenarioSettings settings = initial;
    settings.startTime = ScenarioReader::clockSeconds(start->text().trimmed());
    settings.duration = ScenarioReader::clockSeconds(duration->text().trimmed());
    settings.demandWeight = weight->value();
    settings.seed = seed->text().isEmpty() ? std::nullopt : std::optional<int>(seed->text().toInt());
    settings.amberTime = amber->value();
    settings.redTime = red->value();
    return settings;
}
