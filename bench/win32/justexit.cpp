// The yardstick of the tools' runs under Wine: a console program built as
// shutcmd.exe and sesslist.exe are (static C++ runtime, -municode) that
// only exits.
int wmain()
{
    return 0;
}
