#pragma once

// Sidecars as two editors write them, for the merge to keep: darktable's NAME.EXT.xmp with a
// develop history of structures in a sequence, and Lightroom's NAME.xmp with camera-raw settings,
// a nested structure and a language alternative.
namespace pelldrake::testing {

inline constexpr const char* kDarktableSidecar = R"(<?xml version="1.0" encoding="UTF-8"?>
<x:xmpmeta xmlns:x="adobe:ns:meta/" x:xmptk="XMP Core 4.4.0-Exiv2">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about=""
    xmlns:exif="http://ns.adobe.com/exif/1.0/"
    xmlns:xmp="http://ns.adobe.com/xap/1.0/"
    xmlns:xmpMM="http://ns.adobe.com/xap/1.0/mm/"
    xmlns:darktable="http://darktable.sf.net/"
   exif:DateTimeOriginal="2024:05:01 10:11:12"
   xmp:Rating="1"
   xmpMM:DerivedFrom="IMG_1.CR2"
   darktable:xmp_version="5"
   darktable:history_end="2">
   <darktable:masks_history>
    <rdf:Seq/>
   </darktable:masks_history>
   <darktable:history>
    <rdf:Seq>
     <rdf:li
      darktable:num="0"
      darktable:operation="exposure"
      darktable:enabled="1"
      darktable:params="0000000000000000cdcccc3e"
      darktable:multi_name=""/>
     <rdf:li
      darktable:num="1"
      darktable:operation="colorbalancergb"
      darktable:enabled="1"
      darktable:params="gz04eJxjYGBgkGAAgRNODGiAEV0AJ2iwh+CR"
      darktable:multi_name="basic colorfulness"/>
    </rdf:Seq>
   </darktable:history>
   <dc:subject xmlns:dc="http://purl.org/dc/elements/1.1/">
    <rdf:Bag>
     <rdf:li>landscape</rdf:li>
    </rdf:Bag>
   </dc:subject>
  </rdf:Description>
 </rdf:RDF>
</x:xmpmeta>
)";

inline constexpr const char* kLightroomSidecar =
    R"(<x:xmpmeta xmlns:x="adobe:ns:meta/" x:xmptk="Adobe XMP Core 7.0-c000 1.000000, 0000/00/00-00:00:00        ">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about=""
    xmlns:xmp="http://ns.adobe.com/xap/1.0/"
    xmlns:tiff="http://ns.adobe.com/tiff/1.0/"
    xmlns:crs="http://ns.adobe.com/camera-raw-settings/1.0/"
   xmp:ModifyDate="2024-05-01T10:11:12+02:00"
   xmp:Label="Green"
   tiff:Make="Canon"
   crs:Version="15.0"
   crs:ProcessVersion="11.0"
   crs:WhiteBalance="As Shot"
   crs:Exposure2012="+0.35"
   crs:HasSettings="True">
   <crs:ToneCurvePV2012>
    <rdf:Seq>
     <rdf:li>0, 0</rdf:li>
     <rdf:li>255, 255</rdf:li>
    </rdf:Seq>
   </crs:ToneCurvePV2012>
   <crs:Look>
    <rdf:Description
     crs:Name="Adobe Color"
     crs:Amount="1">
     <crs:Group>
      <rdf:Alt>
       <rdf:li xml:lang="x-default">Profiles</rdf:li>
      </rdf:Alt>
     </crs:Group>
    </rdf:Description>
   </crs:Look>
  </rdf:Description>
 </rdf:RDF>
</x:xmpmeta>
)";

} // namespace pelldrake::testing
