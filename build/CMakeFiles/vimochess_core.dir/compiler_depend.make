# Empty compiler generated dependencies file for vimochess_core.
# This may be replaced when dependencies are built.
