// regedit placeholder replaced by the registry work.
int main() { return 0; }
