file(REMOVE_RECURSE
  "libvimochess_core.a"
)
