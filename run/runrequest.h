#pragma once

#include <QString>
#include <QVariant>

// One compile as the Compile panel hands it to the run window. The "use"
// fields count as on when they hold the number 1 or a text that reads as 1.
struct RunRequest
{
    bool A_start = false;   // true: run the compiler; false: show the last output
    int A_appuse = 1;       // 1: build the command from the parts below
    QString A_name;
    QString A_clocation;    // the compiler program
    QVariant A_configuse;
    QString A_config;       // "+" before a configuration file, "@" before a response file
    QString A_configf;
    QVariant A_outputuse;
    QString A_output2;      // the switch before the output path
    QString A_output;
    QVariant A_adduse;
    QString A_addparam;     // the ticked switches, each followed by a space
    QString A_srcparam;     // written before the quoted source
    QString A_srcfile;
    QString A_ErrKeyList;   // error keywords separated by commas

    static bool isOn(const QVariant &use);
};
