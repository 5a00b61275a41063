package jvmtest;

public class OtherMain {
    public static void main(String arg) {
    }
}
