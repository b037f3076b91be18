#include "plugin/paramicsimporterplugin.h"

#include "plugin/paramicsfactories.h"
#include "plugin/paramicsfilter.h"
#include "plugin/paramicsimporterdlg.h"

#include <cvfilterdescription.h>
#include <cvsystem.h>
#include <cvversion.h>

#include <QMessageBox>

ParamicsImporterPlugin::ParamicsImporterPlugin()
{
    setName(tr("Paramics Importer"));
}

ParamicsImporterPlugin::~ParamicsImporterPlugin() = default;

QString ParamicsImporterPlugin::verify()
{
    return QString();
}

void ParamicsImporterPlugin::install()
{
    ParamicsFilter::plugin = this;
}

void ParamicsImporterPlugin::initGui(CVGui*)
{
    const CVFilterDescription description(ParamicsFilterFactory, QStringList{QStringLiteral("*.*")},
                                          tr("Paramics Network"));
    CVSystem::getSystem().addImportFilter(description);
}

void ParamicsImporterPlugin::about(CVGui* gui) const
{
    if (!gui)
        return;
    const QString text = tr("Paramics Importer v1.1") + QLatin1Char('\n')
        + tr("Imports Paramics network directories, Quadstone and Sias variants.")
        + tr("\n\nFor Corvia Version: %1 (R%2) %3")
              .arg(QString::fromLatin1(CVVersionText), QString::number(CVRevision, 10), QString());
    QMessageBox::information(gui->getMainWindow(), getName(), text, QMessageBox::Ok, QMessageBox::NoButton);
}

void ParamicsImporterPlugin::importParamics(CVGui* gui)
{
    if (!gui || !gui->getActiveModel())
        return;
    auto* dialog = new ParamicsImporterDlg(gui->getMainWindow(), Qt::WindowFlags());
    dialog->setModel(gui->getActiveModel());
    dialog->exec();
    const std::exception_ptr failure = dialog->importFailure();
    delete dialog;
    if (failure)
        std::rethrow_exception(failure);
}
