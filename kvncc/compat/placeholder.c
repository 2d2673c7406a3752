/* Replaced by the old library's sources. */
int kvn_compat_placeholder;
