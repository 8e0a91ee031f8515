#include "PageHeads.h"

namespace {

// The four page heads. They are plain text: the '%' signs are not format
// directives.
constexpr std::string_view kHeadResultList =
    R"~(<head> <meta http-equiv="Content-Type" content="text/html;charset=gb2312" /> <style type="text/css">)~"
    R"~( .item{MARGIN:0px;border:1px solid #dfe8f6;width:100%;padding-top:7px;padding-right:4px;padding-bottom:6px;padding-left:5px;cursor:default;})~"
    R"~(.li{height:80px;width:auto;}.h{color:#ff2900;})~"
    R"~(.div_pic{width:80px;height:80px;line-height:80px;border:1px solid #d9d9d9;overflow:hidden;position:relative;text-align:center;float:left;background-color:#FFFFFF;margin-right:8px;cursor:pointer;})~"
    R"~(.div_pic p{position:static;position:absolute;top:50%;vertical-align:middle})~"
    R"~(.div_pic img{position:static;position:relative;top:-50%;left:-50%;vertical-align:middle})~"
    R"~(.div_title{width:170px;padding-top:6px;font-size:13px;line-height:18px;float:left;margin-right:12px;})~"
    R"~(.div_title1{height:58px;cursor:pointer;})~"
    R"~(.div_price{width:80px;float:left;text-align:center;font-weight:bold;padding-top:30px;})~"
    R"~(.a{font-size:12px;color:#797979;}.b{font-size:14px;color:#FF2900;}.c{font-weight: lighter;})~"
    R"~(.div_local{margin-right:10px;width:80px;padding-top:32px;font-size:12px;text-align:center;float:left})~"
    R"~(.div_30{width:100px;margin-right:8px;padding-top:32px;font-size:12px;float:left})~"
    R"~(.div_nick a{color:#555555;text-decoration:underline;}.div_nick a:hover{color:#0063DC})~"
    R"~(a{color:#0063DC;text-decoration:none;}a:hover{color:#ff6600;text-decoration:underline;})~"
    R"~(.div_credit{padding-top:30px;width:88px;text-align:center;} </style> <script language="javascript">)~"
    R"~(function over(mydiv){mydiv.style.border="1px solid #99bbe8";mydiv.style.background= "#dfe8f6";})~"
    R"~(function out(mydiv){mydiv.style.border="1px solid #dfe8f6";mydiv.style.background= "";})~"
    R"~(function OnPic(index){window.open(click_url[index].href);}</script></head>)~"
    R"~(<body leftMargin=0  topMargin=0 scroll="no" style="color:#404040;font-size:12px;width:100%; border-width=0;">)~";

// The list head of seller pages lacks the rule ".c{font-weight: lighter;}".
constexpr std::string_view kHeadShopList =
    R"~(<head> <meta http-equiv="Content-Type" content="text/html;charset=gb2312" /> <style type="text/css">)~"
    R"~( .item{MARGIN:0px;border:1px solid #dfe8f6;width:100%;padding-top:7px;padding-right:4px;padding-bottom:6px;padding-left:5px;cursor:default;})~"
    R"~(.li{height:80px;width:auto;}.h{color:#ff2900;})~"
    R"~(.div_pic{width:80px;height:80px;line-height:80px;border:1px solid #d9d9d9;overflow:hidden;position:relative;text-align:center;float:left;background-color:#FFFFFF;margin-right:8px;cursor:pointer;})~"
    R"~(.div_pic p{position:static;position:absolute;top:50%;vertical-align:middle})~"
    R"~(.div_pic img{position:static;position:relative;top:-50%;left:-50%;vertical-align:middle})~"
    R"~(.div_title{width:170px;padding-top:6px;font-size:13px;line-height:18px;float:left;margin-right:12px;})~"
    R"~(.div_title1{height:58px;cursor:pointer;})~"
    R"~(.div_price{width:80px;float:left;text-align:center;font-weight:bold;padding-top:30px;})~"
    R"~(.a{font-size:12px;color:#797979;}.b{font-size:14px;color:#FF2900;})~"
    R"~(.div_local{margin-right:10px;width:80px;padding-top:32px;font-size:12px;text-align:center;float:left})~"
    R"~(.div_30{width:100px;margin-right:8px;padding-top:32px;font-size:12px;float:left})~"
    R"~(.div_nick a{color:#555555;text-decoration:underline;}.div_nick a:hover{color:#0063DC})~"
    R"~(a{color:#0063DC;text-decoration:none;}a:hover{color:#ff6600;text-decoration:underline;})~"
    R"~(.div_credit{padding-top:30px;width:88px;text-align:center;} </style> <script language="javascript">)~"
    R"~(function over(mydiv){mydiv.style.border="1px solid #99bbe8";mydiv.style.background= "#dfe8f6";})~"
    R"~(function out(mydiv){mydiv.style.border="1px solid #dfe8f6";mydiv.style.background= "";})~"
    R"~(function OnPic(index){window.open(click_url[index].href);}</script></head>)~"
    R"~(<body leftMargin=0  topMargin=0 scroll="no" style="color:#404040;font-size:12px;width:100%; border-width=0;">)~";

constexpr std::string_view kHeadResultGrid =
    R"~(<head> <meta http-equiv="Content-Type" content="text/html; charset=gb2312" /><style>)~"
    R"~(.li{width:210px;height:320px;float:left;margin-top:6px;margin-right:2px;margin-left:5px;})~"
    R"~(.h{color:#ff2900;})~"
    R"~(.div_pic{width:210px;height:210px;line-height:210px;border:1px solid #d9d9d9;overflow:hidden;position:relative;text-align:center;float:left;background-color:#FFFFFF;cursor:pointer;})~"
    R"~(.div_pic p {position:static;position:absolute;top:50%;vertical-align:middle})~"
    R"~(.c{padding-bottom:5px;padding-top:3px;text-align:right;font-weight: lighter;})~"
    R"~(.div_pic img {position:static;position:relative;top:-50%;left:-50%;vertical-align:middle})~"
    R"~(.div_title{width:210px;height:42px;padding-top:6px;line-height:18px;})~"
    R"~(a{color:#0063DC;text-decoration:none;}a:hover{color:#ff6600;text-decoration:underline;})~"
    R"~(.div_price{float:left;width:90px;padding-bottom:4px;})~"
    R"~(.b{font-weight:bold;font-size:16px;color:#FF2900;})~"
    R"~(.div_30{width:auto;color:#404040;text-align: right;}.div_nick{float:left;width:50%;})~"
    R"~(.div_local{width:auto;color:#404040;text-align:right;padding-top:3px;}</style>)~"
    R"~(<script language="javascript">function OnPic(index){open(click_url[index].href);}</script></head>)~"
    R"~(<body leftMargin=0 topMargin=0 scroll="no" style="color:#404040;font-size:12px;width:100%;border-width=0;">)~";

constexpr std::string_view kHeadShopGrid =
    R"~(<head> <meta http-equiv="Content-Type" content="text/html; charset=gb2312" /><style>)~"
    R"~(.li{width:210px;float:left;margin-top:6px;margin-right:2px;margin-bottom:10px;margin-left:5px;})~"
    R"~(.h{color:#ff2900;})~"
    R"~(.div_pic{width:210px;height:210px;line-height:210px;border:1px solid #d9d9d9;overflow:hidden;position:relative;text-align:center;float:left;background-color:#FFFFFF;cursor:pointer;})~"
    R"~(.div_pic p {position:static;position:absolute;top:50%;vertical-align:middle})~"
    R"~(.div_pic img {position:static;position:relative;top:-50%;left:-50%;vertical-align:middle})~"
    R"~(.div_title{width:210px;height:42px;padding-top:6px;line-height:18px;})~"
    R"~(a{color:#0063DC;text-decoration:none;}a:hover{color:#ff6600;text-decoration:underline;})~"
    R"~(.div_price{float:left;width:90px;padding-bottom:4px;})~"
    R"~(.b{font-weight:bold;font-size:16px;color:#FF2900;})~"
    R"~(.div_30{width:auto;padding-bottom:4px;padding-top:3px;text-align:right;color:#404040;})~"
    R"~(.div_nick{width:130px;float:left;}.div_local{width:auto;color:#404040;text-align:right;}</style>)~"
    R"~( <script language="javascript">function OnPic(index){open(click_url[index].href);}</script></head>)~"
    R"~(<body leftMargin=0  topMargin=0 scroll="no" style="color:#404040;font-size:12px;width:100%; border-width=0;">)~";

} // namespace

std::string_view ResultListHead() { return kHeadResultList; }
std::string_view ResultGridHead() { return kHeadResultGrid; }
std::string_view ShopListHead() { return kHeadShopList; }
std::string_view ShopGridHead() { return kHeadShopGrid; }
