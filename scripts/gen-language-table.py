#!/usr/bin/env python3
"""Writes src/platform/language_table.cpp: the built-in table of Windows
language identifiers with their names and display names.

The identifiers and names are listed below; display names are composed from
Debian's iso-codes data ("Language (Script, Country)"), with a few
corrections where the common name differs from the ISO one.

Run from the repository root: scripts/gen-language-table.py
"""
import json
import os
import sys

LCIDS = """
0401 ar-SA  0402 bg-BG  0403 ca-ES  0404 zh-TW  0405 cs-CZ  0406 da-DK  0407 de-DE
0408 el-GR  0409 en-US  040a es-ES_tradnl  040b fi-FI  040c fr-FR  040d he-IL  040e hu-HU
040f is-IS  0410 it-IT  0411 ja-JP  0412 ko-KR  0413 nl-NL  0414 nb-NO  0415 pl-PL
0416 pt-BR  0417 rm-CH  0418 ro-RO  0419 ru-RU  041a hr-HR  041b sk-SK  041c sq-AL
041d sv-SE  041e th-TH  041f tr-TR  0420 ur-PK  0421 id-ID  0422 uk-UA  0423 be-BY
0424 sl-SI  0425 et-EE  0426 lv-LV  0427 lt-LT  0428 tg-Cyrl-TJ  0429 fa-IR  042a vi-VN
042b hy-AM  042c az-Latn-AZ  042d eu-ES  042e hsb-DE  042f mk-MK  0430 st-ZA  0431 ts-ZA
0432 tn-ZA  0433 ve-ZA  0434 xh-ZA  0435 zu-ZA  0436 af-ZA  0437 ka-GE  0438 fo-FO
0439 hi-IN  043a mt-MT  043b se-NO  043d yi-001  043e ms-MY  043f kk-KZ  0440 ky-KG
0441 sw-KE  0442 tk-TM  0443 uz-Latn-UZ  0444 tt-RU  0445 bn-IN  0446 pa-IN  0447 gu-IN
0448 or-IN  0449 ta-IN  044a te-IN  044b kn-IN  044c ml-IN  044d as-IN  044e mr-IN
044f sa-IN  0450 mn-MN  0451 bo-CN  0452 cy-GB  0453 km-KH  0454 lo-LA  0455 my-MM
0456 gl-ES  0457 kok-IN  0459 sd-Deva-IN  045a syr-SY  045b si-LK  045c chr-Cher-US
045d iu-Cans-CA  045e am-ET  045f tzm-Arab-MA  0461 ne-NP  0462 fy-NL  0463 ps-AF
0464 fil-PH  0465 dv-MV  0467 ff-NG  0468 ha-Latn-NG  046a yo-NG  046b quz-BO  046c nso-ZA
046d ba-RU  046e lb-LU  046f kl-GL  0470 ig-NG  0471 kr-Latn-NG  0472 om-ET  0473 ti-ET
0474 gn-PY  0475 haw-US  0476 la-VA  0477 so-SO  0478 ii-CN  047a arn-CL  047c moh-CA
047e br-FR  0480 ug-CN  0481 mi-NZ  0482 oc-FR  0483 co-FR  0484 gsw-FR  0485 sah-RU
0486 quc-Latn-GT  0487 rw-RW  0488 wo-SN  048c prs-AF  0491 gd-GB  0492 ku-Arab-IQ
0801 ar-IQ  0803 ca-ES-valencia  0804 zh-CN  0807 de-CH  0809 en-GB  080a es-MX  080c fr-BE
0810 it-CH  0813 nl-BE  0814 nn-NO  0816 pt-PT  0818 ro-MD  0819 ru-MD  081a sr-Latn-CS
081d sv-FI  0820 ur-IN  082c az-Cyrl-AZ  082e dsb-DE  0832 tn-BW  083b se-SE  083c ga-IE
083e ms-BN  083f kk-Latn-KZ  0843 uz-Cyrl-UZ  0845 bn-BD  0846 pa-Arab-PK  0849 ta-LK
0850 mn-Mong-CN  0859 sd-Arab-PK  085d iu-Latn-CA  085f tzm-Latn-DZ  0860 ks-Deva-IN
0861 ne-IN  0867 ff-Latn-SN  086b quz-EC  0873 ti-ER
0c01 ar-EG  0c04 zh-HK  0c07 de-AT  0c09 en-AU  0c0a es-ES  0c0c fr-CA  0c1a sr-Cyrl-CS
0c3b se-FI  0c50 mn-Mong-MN  0c51 dz-BT  0c6b quz-PE
1001 ar-LY  1004 zh-SG  1007 de-LU  1009 en-CA  100a es-GT  100c fr-CH  101a hr-BA
103b smj-NO  105f tzm-Tfng-MA
1401 ar-DZ  1404 zh-MO  1407 de-LI  1409 en-NZ  140a es-CR  140c fr-LU  141a bs-Latn-BA
143b smj-SE
1801 ar-MA  1809 en-IE  180a es-PA  180c fr-MC  181a sr-Latn-BA  183b sma-NO
1c01 ar-TN  1c09 en-ZA  1c0a es-DO  1c0c fr-029  1c1a sr-Cyrl-BA  1c3b sma-SE
2001 ar-OM  2009 en-JM  200a es-VE  200c fr-RE  201a bs-Cyrl-BA  203b sms-FI
2401 ar-YE  2409 en-029  240a es-CO  240c fr-CD  241a sr-Latn-RS  243b smn-FI
2801 ar-SY  2809 en-BZ  280a es-PE  280c fr-SN  281a sr-Cyrl-RS
2c01 ar-JO  2c09 en-TT  2c0a es-AR  2c0c fr-CM  2c1a sr-Latn-ME
3001 ar-LB  3009 en-ZW  300a es-EC  300c fr-CI  301a sr-Cyrl-ME
3401 ar-KW  3409 en-PH  340a es-CL  340c fr-ML
3801 ar-AE  3809 en-ID  380a es-UY  380c fr-MA
3c01 ar-BH  3c09 en-HK  3c0a es-PY  3c0c fr-HT
4001 ar-QA  4009 en-IN  400a es-BO
4409 en-MY  440a es-SV
4809 en-SG  480a es-HN
4c09 en-AE  4c0a es-NI
500a es-PR  540a es-US  580a es-419  5c0a es-CU
0001 ar  0002 bg  0003 ca  0004 zh-Hans  0005 cs  0006 da  0007 de  0008 el  0009 en
000a es  000b fi  000c fr  000d he  000e hu  000f is  0010 it  0011 ja  0012 ko  0013 nl
0014 no  0015 pl  0016 pt  0017 rm  0018 ro  0019 ru  001a hr  001b sk  001c sq  001d sv
001e th  001f tr  0020 ur  0021 id  0022 uk  0023 be  0024 sl  0025 et  0026 lv  0027 lt
0029 fa  002a vi  002b hy  002d eu  002f mk  0036 af  0037 ka  0038 fo  0039 hi  003e ms
003f kk  0041 sw  0045 bn  0049 ta  004a te  0056 gl  7c04 zh-Hant
"""

# Common names where the ISO name is not the one users know.
LANGUAGE_NAMES = {
    "el": "Greek", "nb": "Norwegian Bokmål", "nn": "Norwegian Nynorsk",
    "no": "Norwegian", "ky": "Kyrgyz", "km": "Khmer", "dv": "Divehi",
    "ca": "Catalan", "es": "Spanish", "nl": "Dutch", "ro": "Romanian",
    "ii": "Yi", "mi": "Maori", "oc": "Occitan", "gsw": "Alsatian",
    "quz": "Quechua", "quc": "K'iche'", "prs": "Dari", "ku": "Central Kurdish",
    "tzm": "Tamazight", "ff": "Fulah", "sah": "Sakha", "se": "Sami, Northern",
    "smj": "Sami, Lule", "sma": "Sami, Southern", "sms": "Sami, Skolt",
    "smn": "Sami, Inari", "hsb": "Upper Sorbian", "dsb": "Lower Sorbian",
    "ms": "Malay", "sw": "Kiswahili", "fy": "Frisian", "ug": "Uyghur",
    "pa": "Punjabi", "or": "Odia", "fa": "Persian", "nso": "Sesotho sa Leboa",
    "st": "Sesotho", "tn": "Setswana", "kl": "Greenlandic", "lb": "Luxembourgish",
    "ps": "Pashto", "ha": "Hausa", "kr": "Kanuri", "moh": "Mohawk",
    "arn": "Mapudungun", "wo": "Wolof", "rw": "Kinyarwanda", "gd": "Scottish Gaelic",
    "zh": "Chinese", "tg": "Tajik", "uz": "Uzbek", "az": "Azerbaijani",
    "sr": "Serbian", "bs": "Bosnian", "mn": "Mongolian", "iu": "Inuktitut",
    "sd": "Sindhi", "ks": "Kashmiri", "yi": "Yiddish", "la": "Latin",
    "chr": "Cherokee", "fil": "Filipino", "kok": "Konkani", "syr": "Syriac",
    "ba": "Bashkir", "tt": "Tatar", "ga": "Irish", "sa": "Sanskrit",
    "bo": "Tibetan", "dz": "Dzongkha", "ne": "Nepali", "si": "Sinhala",
}
REGION_NAMES = {
    "US": "United States", "GB": "United Kingdom", "KR": "Korea", "TW": "Taiwan",
    "HK": "Hong Kong SAR", "MO": "Macao SAR", "CN": "People's Republic of China",
    "IR": "Iran", "RU": "Russia", "VN": "Vietnam", "SY": "Syria", "LA": "Lao P.D.R.",
    "BO": "Bolivia", "VE": "Venezuela", "MD": "Moldova", "CS": "Serbia and Montenegro (Former)",
    "029": "Caribbean", "419": "Latin America", "001": "World", "CD": "Congo DRC",
    "CI": "Côte d'Ivoire", "VA": "Vatican City", "BA": "Bosnia and Herzegovina",
    "MK": "North Macedonia", "TZ": "Tanzania",
}
SCRIPT_NAMES = {
    "Latn": "Latin", "Cyrl": "Cyrillic", "Arab": "Arabic", "Deva": "Devanagari",
    "Cans": "Syllabics", "Cher": "Cherokee", "Mong": "Traditional Mongolian",
    "Tfng": "Tifinagh", "Hans": "Simplified", "Hant": "Traditional",
}


def load(name, key, field):
    path = "/usr/share/iso-codes/json/" + name
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    table = {}
    for rec in data[key]:
        for k in field:
            if k in rec:
                table.setdefault(rec[k], rec.get("common_name", rec["name"]))
    return table


def main():
    langs = load("iso_639-3.json", "639-3", ("alpha_2", "alpha_3"))
    regions = load("iso_3166-1.json", "3166-1", ("alpha_2",))
    words = LCIDS.split()
    rows = []
    for i in range(0, len(words), 2):
        lcid = int(words[i], 16)
        name = words[i + 1]
        tag = name.split("_")[0]
        parts = tag.split("-")
        lang = LANGUAGE_NAMES.get(parts[0]) or langs[parts[0]]
        extra = []
        for p in parts[1:]:
            if p == "valencia":
                extra.append("Valencian")
            elif len(p) == 4:
                extra.append(SCRIPT_NAMES[p])
            else:
                extra.append(REGION_NAMES.get(p) or regions[p])
        if name.endswith("_tradnl"):
            extra.append("Traditional Sort")
        display = lang + (" (" + ", ".join(extra) + ")" if extra else "")
        rows.append((lcid, name, display))
    rows.sort()
    ids = [r[0] for r in rows]
    if len(ids) != len(set(ids)):
        sys.exit("duplicate identifier")
    out = os.path.join("src", "platform", "language_table.cpp")
    with open(out, "w", encoding="utf-8") as f:
        f.write("// Generated by scripts/gen-language-table.py; edit the script, not this file.\n")
        f.write('#include "platform/language_table.h"\n\nnamespace tarnix {\n\n')
        f.write("// Sorted by identifier.\nconst LanguageInfo kLanguageTable[] = {\n")
        for lcid, name, display in rows:
            d = display.replace("\\", "\\\\").replace('"', '\\"')
            d = "".join(c if ord(c) < 128 else "\\u%04X" % ord(c) for c in d)
            f.write('    {0x%04X, L"%s", L"%s"},\n' % (lcid, name, d))
        f.write("};\n\nconst size_t kLanguageCount = sizeof kLanguageTable / sizeof kLanguageTable[0];\n\n}  // namespace tarnix\n")
    print("%d languages written to %s" % (len(rows), out))


if __name__ == "__main__":
    main()
