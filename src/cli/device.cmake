# The device commands: `kvt write`, `kvt read-id` and `kvt ports`.
target_sources(kvt PRIVATE
    devicecommands.cpp devicecommands.h
    deviceterminal.cpp deviceterminal.h
    portscommand.cpp
    writelog.cpp writelog.h
    writesession.cpp writesession.h
)
