# The device commands: `kvt write` and `kvt read-id`.
target_sources(kvt PRIVATE devicecommands.cpp devicecommands.h)
