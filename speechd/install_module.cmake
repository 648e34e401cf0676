# Installs sd_lenvoro and lenvoro.conf where Speech Dispatcher finds them.
#
# Run by "cmake --install", so the folders follow the prefix of the install
# itself ("--prefix DIR" keeps everything inside DIR): for /usr and
# /usr/local, Speech Dispatcher's own folders, the only ones its server
# searches (those its pkg-config file names, else Debian's); for any other
# prefix, folders under it (~/.local gives the user's own module folder),
# which AddModule then names with absolute paths. Folders given when
# configuring (SD_LENVORO_MODULE_DIR, SD_LENVORO_CONFIG_DIR) are
# used as they are.
#
# In: LENVORO_MODULE_FILE, LENVORO_MODULE_CONF, LENVORO_MODULE_DIR,
# LENVORO_CONFIG_DIR (empty: chosen here), LENVORO_SYSTEM_MODULE_DIR,
# LENVORO_SYSTEM_CONFIG_DIR.
if(CMAKE_INSTALL_PREFIX MATCHES "^/usr(/local)?/?$")
    set(system_module_dir ${LENVORO_SYSTEM_MODULE_DIR})
    set(system_config_dir ${LENVORO_SYSTEM_CONFIG_DIR})
else()
    set(system_module_dir ${CMAKE_INSTALL_PREFIX}/libexec/speech-dispatcher-modules)
    set(system_config_dir ${CMAKE_INSTALL_PREFIX}/etc/speech-dispatcher/modules)
endif()
if(NOT LENVORO_MODULE_DIR)
    set(LENVORO_MODULE_DIR ${system_module_dir})
endif()
if(NOT LENVORO_CONFIG_DIR)
    set(LENVORO_CONFIG_DIR ${system_config_dir})
endif()
file(INSTALL ${LENVORO_MODULE_FILE} DESTINATION ${LENVORO_MODULE_DIR} USE_SOURCE_PERMISSIONS)
file(INSTALL ${LENVORO_MODULE_CONF} DESTINATION ${LENVORO_CONFIG_DIR})
