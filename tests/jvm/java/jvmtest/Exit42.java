package jvmtest;

public class Exit42 {
    public static void main(String[] args) {
        System.exit(42);
    }
}
