#include "optioncatalogue.h"

const QStringList &OptionCatalogue::items()
{
    // The compiler's switches in the order the list shows them. Each text is
    // the switch, "}", a space, the description, a space and a digit that is
    // 1 when the switch takes a value typed by the user.
    static const QStringList table = {
        QStringLiteral("-B} Compile to .ASM (-S), then assemble to .OBJ 0"),
        QStringLiteral("-P} Perform C++ compile, set output to exe 0"),
        QStringLiteral("-C} Turn nested comments on (Default: -C- turn nested comments off) 0"),
        QStringLiteral("-K} Default character type unsigned 0"),
        QStringLiteral("-S} Compile to assembler 0"),
        QStringLiteral("-N} Check Stack Overflow 0"),
        QStringLiteral("-O1} Generate smallest possible code 0"),
        QStringLiteral("-O2} Generate fastest possible code 0"),
        QStringLiteral(" } Enter any extra options you want to use here 1"),
        QStringLiteral("-L} Library file search path 1"),
        QStringLiteral("-I} Include file search path 1"),
        QStringLiteral("-3} Generate 80386 protected-mode compatible instructions (Default) 0"),
        QStringLiteral("-4} Generate 80386/80486 protected-mode compatible instructions 0"),
        QStringLiteral("-5} Generate Pentium instructions 0"),
        QStringLiteral("-6} Generate Pentium Pro instructions 0"),
        QStringLiteral("-A} Use ANSI keywords and extensions 0"),
        QStringLiteral("-AK} Use Kernighan and Ritchie keywords and extensions 0"),
        QStringLiteral("-AT} Use Borland C++ keywords and extensions 0"),
        QStringLiteral("-AU} Use UNIX V keywords and extensions 0"),
        QStringLiteral("-a} Align data on \"n\" boundaries 1"),
        QStringLiteral("-b} Make enums always integer-sized 0"),
        QStringLiteral("-b-} Makes enums byte-sized when possible 0"),
        QStringLiteral("-CP} Enable code paging (for MBCS) 0"),
        QStringLiteral("-c} Compile to .OBJ, no link 0"),
        QStringLiteral("-D} Define \"name\" to the null string 1"),
        QStringLiteral("-d} Merge duplicate strings 0"),
        QStringLiteral("-E} Specify assembler 1"),
        QStringLiteral("-e} Specify executable file name 1"),
        QStringLiteral("-f} Emulate floating point 0"),
        QStringLiteral("-ff} Fast floating point 0"),
        QStringLiteral("-fp} Correct Pentium FDIV flaw 0"),
        QStringLiteral("-gb} Stop batch compilation after first file with warnings 0"),
        QStringLiteral("-g} Warnings: stop after n messages (Default = 255) 1"),
        QStringLiteral("-H} Generate and use precompiled headers 0"),
        QStringLiteral("-H=} Set the name of the file for precompiled headers 1"),
        QStringLiteral("-H} Stop precompiling after header file xxx 1"),
        QStringLiteral("-Hc} Cache precompiled header (Must be used with -H or -H\"xxx\") 0"),
        QStringLiteral("-Hh=} Stop precompiling after header file xxx 1"),
        QStringLiteral("-Hu} Use but do not generate precompiled headers 0"),
        QStringLiteral("-i} Make significant identifier length to be n (Default = 250) 1"),
        QStringLiteral("-Ja} Expand all template members (including unused members) 0"),
        QStringLiteral("-Jgx} Generate external references for all template instances 0"),
        QStringLiteral("-j} Errors: stop after n messages (Default = 25) 1"),
        QStringLiteral("-l} Pass option x to linker 1"),
        QStringLiteral("-l-} Disables option x for the linker 1"),
        QStringLiteral("-M} Create a Map file 0"),
        QStringLiteral("-n} Sets output directory to path 1"),
        QStringLiteral("-O} Optimize jumps 0"),
        QStringLiteral("-Oc} Eliminate duplicate expressions within basic blocks and functions 0"),
        QStringLiteral("-Od} Disable all optimizations 0"),
        QStringLiteral("-Oi} Expand common intrinsic functions 0"),
        QStringLiteral("-OS} Pentium instruction scheduling 0"),
        QStringLiteral("-O-S} Disables instruction scheduling 0"),
        QStringLiteral("-Ov} Enable loop induction variable and strength reduction 0"),
        QStringLiteral("-o} Compile .OBJ to filename 1"),
        QStringLiteral("-P-} Perform C++ compile depending on source file extension 0"),
        QStringLiteral("-p} Use Pascal calling convention 0"),
        QStringLiteral("-p-} Use C calling convention 0"),
        QStringLiteral("-pc} Use C calling convention 0"),
        QStringLiteral("-pm} Functions without an explicit calling convention to use __msfastcall. 0"),
        QStringLiteral("-pr} Use fastcall calling convention for passing parameters in registers 0"),
        QStringLiteral("-ps} Use stdcall calling convention 0"),
        QStringLiteral("-Q} Extended compiler error information 0"),
        QStringLiteral("-q} Suppress compiler identification banner 0"),
        QStringLiteral("-R} Include browser information in generated .OBJ files 0"),
        QStringLiteral("-RT} Enable runtime type information (Default) 0"),
        QStringLiteral("-r} Use register variables (Default) 0"),
        QStringLiteral("-r-} Disable the use of register variables 0"),
        QStringLiteral("-rd} Use register variables only when register keyword is employed 0"),
        QStringLiteral("-T-} Removes all assembler options 0"),
        QStringLiteral("-T} Specify assembler option 1"),
        QStringLiteral("-tW} Target is a Windows application (same as -W) 0"),
        QStringLiteral("-tWC} Target is a console application (same as -WC) 0"),
        QStringLiteral("-tWD} Generate a .DLL executable (same as -WD) 0"),
        QStringLiteral("-tWM} Generate a 32-bit multi-threaded target (same as -WM) 0"),
        QStringLiteral("-tWR} Target uses the dynamic RTL (same as -WR) 0"),
        QStringLiteral("-tWV} Target uses the VCL 0"),
        QStringLiteral("-U} Undefine any previous definitions of name 1"),
        QStringLiteral("-V0} External C++ virtual tables 0"),
        QStringLiteral("-V1} Public C++ virtual tables 0"),
        QStringLiteral("-VC} Calling convention mangling compatibility 0"),
        QStringLiteral("-Vd} for loop variable scoping 0"),
        QStringLiteral("-Ve} Zero-length empty base classes 0"),
        QStringLiteral("-VM} Microsoft Visual C++ compatibility 0"),
        QStringLiteral("-VI-} Use old Borland search algorithm to locate header files 0"),
        QStringLiteral("-Vl} Use old-style Borland C++ structure layout 0"),
        QStringLiteral("-VF} MFC compatibility 0"),
        QStringLiteral("-Vmd} Use the smallest possible representation for member pointers 0"),
        QStringLiteral("-Vmm} Support multiple inheritance for member pointers 0"),
        QStringLiteral("-Vmp} Honor declared precision of member pointers 0"),
        QStringLiteral("-Vms} Support single inheritance for member pointers 0"),
        QStringLiteral("-Vmv} Place no restrictions on where member pointers can point (Default) 0"),
        QStringLiteral("-Vx} Zero-length empty class member functions 0"),
        QStringLiteral("-v} Turn on source debugging 0"),
        QStringLiteral("-vG} All Codeguard options on 0"),
        QStringLiteral("-vGc} Inline pointer access (Codeguard) 0"),
        QStringLiteral("-vGd} Global and stack data accesses (Codeguard) 0"),
        QStringLiteral("-vGt} this pointer on member function entry (Codeguard) 0"),
        QStringLiteral("-vi} Control expansion of inline functions 0"),
        QStringLiteral("-WU} Generates Unicode application 0"),
        QStringLiteral("-w} Display warnings on 0"),
        QStringLiteral("-w!} Returns non-zero from compiler on warnings 0"),
        QStringLiteral("-X} Disable compiler autodependency output 0"),
        QStringLiteral("-x} Enable exception handling (Default) 0"),
        QStringLiteral("-xd} Enable destructor cleanup (Default) 0"),
        QStringLiteral("-xdg} Use global destructor count 0"),
        QStringLiteral("-xf} Enable fast exception prologs 0"),
        QStringLiteral("-xp} Enable exception location information 0"),
        QStringLiteral("-xs} Enable slow exception epilogues 0"),
        QStringLiteral("-y} Debug line numbers on 0"),
    };
    return table;
}

std::optional<OptionCatalogue::Split> OptionCatalogue::SplitItem(const QString &text)
{
    const qsizetype brace = text.indexOf(QLatin1Char('}'));
    if (brace < 0)
        return std::nullopt;
    return Split{text.left(brace), text.mid(brace)};
}

bool OptionCatalogue::takesValue(const QString &text)
{
    return text.endsWith(QLatin1Char('1'));
}

QString OptionCatalogue::optionString(const QStringList &texts, const OptionStore &store)
{
    QString result;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (!store.isTicked(int(i)))
            continue;
        // An item without a switch contributes its value alone.
        const std::optional<Split> split = SplitItem(texts.at(i));
        result += (split ? split->Split1 : QString()) + store.values.value(i) + QLatin1Char(' ');
    }
    return result;
}
