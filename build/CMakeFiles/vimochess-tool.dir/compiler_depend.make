# Empty compiler generated dependencies file for vimochess-tool.
# This may be replaced when dependencies are built.
