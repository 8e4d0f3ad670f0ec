// Writes the Ant build file into the destination folder.
#include "engine/build_file.h"

#include "engine/xml_template.h"
#include "resources/build_template.h"

namespace tessivar {

std::string expandBuildTemplate(std::string_view jarModule, std::string_view runtimeJarPath) {
    const std::string templ = std::string(kBuildTemplate102) + std::string(kBuildTemplate103);
    return fillXmlTemplate(templ, {{kProjectNamePlaceholder, jarModule},
                                   {kRuntimeClassPathPlaceholder, runtimeJarPath}});
}

void writeBuildFile(WrapperGenerator& generator) {
    const std::string path = generator.destination + kPathSeparator + "build.xml";
    SourceFile file(generator.services.files, &generator);
    if (file.open(path)) file.write(expandBuildTemplate(generator.jarModule, generator.runtimeJarPath));
    generator.logLine("Generating build file: " + path);
    file.close();
}

}  // namespace tessivar
