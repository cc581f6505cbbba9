# Debian packages with CPack (`make package`, or `cpack -G DEB` in a build
# folder configured with -DCMAKE_INSTALL_PREFIX=/usr):
#   kvt-configurator_VERSION_ARCH.deb  the configurator, kvt, their man pages,
#                                      desktop entry, icons, AppStream
#                                      metadata and bash completion
#   kvt-unit-sim_VERSION_ARCH.deb      the unit simulator and its man page
# Each install() rule names its package's component; a rule that names
# none goes with the configurator.

set(KVT_PACKAGE_MAINTAINER "KVT Series Configurator developers <kvt-configurator@example.org>"
    CACHE STRING "Maintainer of the packages, as \"Name <address>\"")

# Component -> package name.
set(KVT_PACKAGE_configurator kvt-configurator)
set(KVT_PACKAGE_sim kvt-unit-sim)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME configurator)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KVT_PACKAGE_MAINTAINER})
# Each package's description below starts with its own synopsis line;
# CPack puts the summary in front of it unless the summary is its default.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_NAME} built using CMake")
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL configurator sim)
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE ${PROJECT_NAME})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_CONFIGURATOR_PACKAGE_NAME ${KVT_PACKAGE_configurator})
set(CPACK_DEBIAN_CONFIGURATOR_PACKAGE_SUGGESTS ${KVT_PACKAGE_sim})
set(CPACK_DEBIAN_CONFIGURATOR_DESCRIPTION
"configurator and serial programmer for KVT Series tracking units
Composes the complete parameter set of a KVT Series GPS/GSM vehicle-tracking
unit (device parameters, configuration registers, LOG memory fields, GPRS
and FTP settings, 64 geofencing zones), keeps it in a configuration file
(.kvt) and writes it into the unit over a serial line; reads the unit's
identity.

The kvt command prepares, checks, shows and writes configuration files
from scripts, without the windows.")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME ${KVT_PACKAGE_sim})
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_SIM_DESCRIPTION
"simulated KVT Series tracking unit on a pseudo-terminal
Plays a KVT Series tracking unit on a pseudo-terminal, for trying the
configurator's programmer and the kvt command, for training and for
scripts without hardware. It keeps what is written, answers identity
reads, and can misbehave on purpose (delays, silence, wrong echoes,
hang-ups).")

include(CPack)
