#include "gui/window/about_text.h"

#include "core/driver_library.h"

namespace z2e {

const char* const AboutText::kTitle = "About Zamo2Explorer ...";

std::string AboutText::driverVersion(const std::vector<SoftwareVersionRecord>& versions)
{
    const std::string library = DriverLibrary::fileName();
    for (const SoftwareVersionRecord& record : versions) {
        if (record.fileName == library || record.fileName == DriverLibrary::displayName())
            return record.version;
    }
    return {};
}

QString AboutText::text(const BuildIdentity& build, const std::vector<SoftwareVersionRecord>& versions)
{
    const std::string driver = driverVersion(versions);
    return QString("<h2>ZAMO2Explorer V%1</h2>"
                   "<p>Using QORIN API %2</p>"
                   "<p>Norvale Messtechnik GmbH<br>Am Lindenhof 14<br>27804 Berne<br>Germany</p>"
                   "<p>Service: service@norvale.example</p>"
                   "<p><small>Package %3, revision %4</small></p>")
        .arg(QString::fromLatin1(kProgramVersion),
             driver.empty() ? QStringLiteral("N/A") : QString::fromStdString(driver).toHtmlEscaped(),
             QString::fromStdString(build.package).toHtmlEscaped(),
             QString::fromStdString(build.revision).toHtmlEscaped());
}

} // namespace z2e
